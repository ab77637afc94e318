#include "Picture.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "Colour.h"

namespace sim {

void WritePpm(const Picture& picture, const std::string& path) {
  const std::string temporary = path + ".part";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file) throw std::runtime_error("cannot write " + temporary);
    file << "P6\n" << picture.width << ' ' << picture.height << "\n255\n";
    std::vector<char> row(std::size_t(picture.width) * 3);
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        const Rgb c = Expand(picture.At(x, y));
        row[3 * x] = static_cast<char>(c.r);
        row[3 * x + 1] = static_cast<char>(c.g);
        row[3 * x + 2] = static_cast<char>(c.b);
      }
      file.write(row.data(), static_cast<std::streamsize>(row.size()));
    }
    if (!file) throw std::runtime_error("cannot write " + temporary);
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0)
    throw std::runtime_error("cannot replace " + path);
}

}  // namespace sim
