#include "ui/ServerChoices.h"

#include <QComboBox>
#include <algorithm>
#include <sstream>

namespace ui {

std::vector<int> ServersOf(const std::string& serversText) {
  std::vector<int> servers;
  std::istringstream words(serversText);
  std::string word;
  while (words >> word) {
    const int server = std::atoi(word.c_str());
    if (server > 0 && std::find(servers.begin(), servers.end(), server) == servers.end())
      servers.push_back(server);
  }
  return servers;
}

void FillServerBox(QComboBox& box, const std::vector<int>& servers, int current) {
  const QSignalBlocker quiet(box);
  box.clear();
  box.addItem("<No Selection>", 0);
  for (int server : servers) box.addItem(QString("Server %1").arg(server), server);
  box.setCurrentIndex(std::max(0, box.findData(current)));
}

void FillTargetBox(QComboBox& box, const settings::AddressBook& book) {
  const QSignalBlocker quiet(box);
  box.clear();
  for (int index = 0; index < book.Count(); ++index)
    box.addItem(QString::fromStdString(book.Item(index).Location()));
  box.setCurrentIndex(book.CurrentSelection() < book.Count() ? book.CurrentSelection() : -1);
}

}  // namespace ui
