#pragma once
// Saved window layouts: tool bar, status bar, window rectangle and view
// options under a name, one INI section "FAVORITE-" + name each. The one named
// by FavoriteLayout is applied at start-up.

#include <string>
#include <string_view>
#include <vector>

#include "settings/IniFile.h"

namespace settings {

inline constexpr const char* FAVORITE_PREFIX = "FAVORITE-";

struct WindowRect {
  int left = 0;
  int top = 0;
  int right = 640;
  int bottom = 480;
  bool operator==(const WindowRect&) const = default;
};

// Defaults are the built-in layout "Default".
struct Favorite {
  std::string name = "Default";
  bool toolbar = true;
  bool statusBar = true;
  WindowRect windowRect;
  bool scaled = true;
  bool enlarge = false;
  bool autoSize = true;
  bool quad = false;
  int color = 2;
  bool onTop = false;
  bool operator==(const Favorite&) const = default;

  // Reads the section FAVORITE- + name; a missing key keeps the built-in value.
  static Favorite Read(const IniFile& ini, std::string_view name);
  void Save(IniFile& ini) const;
};

class FavoritesBook {
 public:
  int Count() const { return static_cast<int>(m_favorites.size()); }
  const Favorite& Item(int index) const { return m_favorites.at(index); }
  Favorite& Item(int index) { return m_favorites.at(index); }
  int CurrentIndex() const { return m_currentIndex; }
  void SetCurrentIndex(int index) { m_currentIndex = index; }

  // Sorted by name ignoring case; a name already in the book is refused.
  int InsertItem(const Favorite& favorite);
  void DelItem(int index);
  int GetIndex(std::string_view name) const;

  void ReadFromINI(const IniFile& ini);
  void SaveToINI(IniFile& ini);
  void ClearFavoritesFromINI(IniFile& ini);

 private:
  std::vector<Favorite> m_favorites;
  int m_currentIndex = -1;
};

// The name of the layout applied at start-up; empty when none was chosen.
std::string ReadFavoriteLayout(const IniFile& ini);
bool WriteFavoriteLayout(IniFile& ini, std::string_view name);
// The layout to apply at start-up: the favourite FavoriteLayout names, or the
// built-in "Default" when it names none that can be read.
Favorite StartupLayout(const IniFile& ini);

}  // namespace settings
