#include "settings/Favorites.h"

#include <cstdio>

#include "platform/Format.h"
#include "platform/TextError.h"
#include "settings/BookSupport.h"
#include "settings/LeadingInt.h"

namespace settings {
namespace {

constexpr size_t VALUE_BUFFER = 200;
constexpr size_t CURRENT_BUFFER = 2000;

void ReadFlag(const IniFile& ini, const std::string& section, const char* key, bool& flag) {
  const std::string value = ini.Read(section, key, "-", VALUE_BUFFER);
  if (!value.starts_with('-')) flag = value.starts_with('T');
}

const char* FlagText(bool flag) { return flag ? "T" : "F"; }

int ReadCurrentIndex(const IniFile& ini) {
  return LeadingInt(ini.Read("MISC", "CURRFavorite", "****", CURRENT_BUFFER));
}

}  // namespace

Favorite Favorite::Read(const IniFile& ini, std::string_view name) {
  const std::string section = FAVORITE_PREFIX + std::string(name);
  Favorite favorite;
  favorite.name = ini.Read(section, "Name", "Default", VALUE_BUFFER);
  ReadFlag(ini, section, "Toolbar", favorite.toolbar);
  ReadFlag(ini, section, "StatusBar", favorite.statusBar);
  const std::string rect = ini.Read(section, "WindowRect", "~", VALUE_BUFFER);
  WindowRect parsed;
  if (rect != "~" && std::sscanf(rect.c_str(), "%d %d %d %d", &parsed.left, &parsed.top,
                                 &parsed.right, &parsed.bottom) == 4)
    favorite.windowRect = parsed;
  ReadFlag(ini, section, "Scaled", favorite.scaled);
  ReadFlag(ini, section, "Enlarge", favorite.enlarge);
  ReadFlag(ini, section, "AutoSize", favorite.autoSize);
  ReadFlag(ini, section, "Quad", favorite.quad);
  const std::string color = ini.Read(section, "Color", "-", VALUE_BUFFER);
  if (!color.starts_with('-')) favorite.color = LeadingInt(color);
  ReadFlag(ini, section, "OnTop", favorite.onTop);
  return favorite;
}

void Favorite::Save(IniFile& ini) const {
  const std::string section = FAVORITE_PREFIX + name;
  WriteOrThrow(ini, section, "Name", name);
  WriteOrThrow(ini, section, "Toolbar", FlagText(toolbar));
  WriteOrThrow(ini, section, "StatusBar", FlagText(statusBar));
  WriteOrThrow(
      ini, section, "WindowRect",
      Format("%d %d %d %d", windowRect.left, windowRect.top, windowRect.right, windowRect.bottom));
  WriteOrThrow(ini, section, "Scaled", FlagText(scaled));
  WriteOrThrow(ini, section, "Enlarge", FlagText(enlarge));
  WriteOrThrow(ini, section, "AutoSize", FlagText(autoSize));
  WriteOrThrow(ini, section, "Quad", FlagText(quad));
  WriteOrThrow(ini, section, "Color", Format("%d", color));
  WriteOrThrow(ini, section, "OnTop", FlagText(onTop));
}

int FavoritesBook::InsertItem(const Favorite& favorite) {
  return WrapBookErrors(
      "Error in FavoritesBook::InsertItem():\n", "Unknown error in FavoritesBook::InsertItem.",
      [&] {
        for (const Favorite& other : m_favorites)
          if (CompareNoCase(other.name, favorite.name) == 0)
            throw TextError("A favorite named " + favorite.name + " is already in the list.");
        const size_t at =
            SortedPosition(m_favorites, favorite.name,
                           [](const Favorite& f) -> const std::string& { return f.name; });
        m_favorites.insert(m_favorites.begin() + at, favorite);
        return static_cast<int>(at);
      });
}

void FavoritesBook::DelItem(int index) {
  if (index >= Count())
    throw TextError("Error in FavoritesBook::DelItem(): Can't del items beyond end of list.");
  if (index < 0)
    throw TextError("Error in FavoritesBook::DelItem(): Can't del items before beginning of list.");
  m_favorites.erase(m_favorites.begin() + index);
}

int FavoritesBook::GetIndex(std::string_view name) const {
  for (int i = 0; i < Count(); ++i)
    if (m_favorites[i].name == name) return i;
  throw TextError("Error in GetIndex(): String not found.");
}

void FavoritesBook::ReadFromINI(const IniFile& ini) {
  WrapBookErrors("Error in FavoritesBook::ReadFromINI(): \n",
                 "Unknown error in FavoritesBook::ReadFromINI()\n", [&] {
                   FavoritesBook fresh;
                   for (const std::string& section : SectionsWithPrefix(ini, FAVORITE_PREFIX))
                     fresh.InsertItem(Favorite::Read(
                         ini, section.substr(std::string_view(FAVORITE_PREFIX).size())));
                   fresh.m_currentIndex = ReadCurrentIndex(ini);
                   *this = std::move(fresh);
                 });
}

void FavoritesBook::SaveToINI(IniFile& ini) {
  WrapBookErrors("Error in FavoritesBook::SaveToINI(): \n",
                 "Error in FavoritesBook::SaveToINI(): Unknown error.", [&] {
                   const int current = m_currentIndex;
                   ClearFavoritesFromINI(ini);
                   m_currentIndex = current;
                   for (const Favorite& favorite : m_favorites) favorite.Save(ini);
                   WriteOrThrow(ini, "MISC", "CURRFavorite", Format("%d", m_currentIndex));
                   if (m_currentIndex >= 0 && m_currentIndex < Count())
                     WriteOrThrow(ini, "MISC", "CURRFavTEXT", m_favorites[m_currentIndex].name);
                 });
}

void FavoritesBook::ClearFavoritesFromINI(IniFile& ini) {
  WrapBookErrors("Error in FavoritesBook::ClearFavoritesFromINI(): \n",
                 "Unknown error in FavoritesBook::ClearFavoritesFromINI()\n", [&] {
                   for (const std::string& section : SectionsWithPrefix(ini, FAVORITE_PREFIX))
                     if (!ini.DeleteSection(section))
                       throw TextError("Could not delete the section " + section + ".");
                   m_currentIndex = ReadCurrentIndex(ini);
                 });
}

std::string ReadFavoriteLayout(const IniFile& ini) {
  const std::string name = ini.Read("MISC", "FavoriteLayout", "-", VALUE_BUFFER);
  return name.starts_with('-') ? std::string() : name;
}

bool WriteFavoriteLayout(IniFile& ini, std::string_view name) {
  return ini.Write("MISC", "FavoriteLayout", name);
}

Favorite StartupLayout(const IniFile& ini) {
  const std::string name = ReadFavoriteLayout(ini);
  if (name.empty()) return Favorite();
  for (const std::string& section : SectionsWithPrefix(ini, FAVORITE_PREFIX))
    if (CompareNoCase(section.substr(std::string_view(FAVORITE_PREFIX).size()), name) == 0)
      return Favorite::Read(ini, name);
  return Favorite();
}

}  // namespace settings
