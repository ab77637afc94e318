#pragma once
// The payload ciphers the viewer knows, which of them the unit offers, and the
// cipher the unit wants for the user list while the session itself is plain.

#include <array>
#include <atomic>
#include <string>

inline constexpr int ENCRYPTION_NONE = 11;
inline constexpr int ENCRYPTION_TRIPLE_DES = 12;
inline constexpr int ENCRYPTION_BLOWFISH = 13;

// One cipher of the set: its id, name and whether the unit offers it.
class EncryptionType {
 public:
  // Throws for an id the viewer does not support.
  explicit EncryptionType(int id);

  int Id() const { return m_id; }
  const std::string& Name() const { return m_name; }
  bool IsOffered() const { return m_offered != 0; }
  void SetOffered(bool offered) { m_offered = offered ? 1 : 0; }

 private:
  int m_id;
  std::string m_name;
  int m_offered = 0;
};

class EncryptionTypes {
 public:
  EncryptionTypes();

  static bool IsValid(int id);
  // id - 11; throws for an unsupported id.
  static int Index(int id);

  void SetOffered(int id, bool offered);
  bool IsOffered(int id) const;
  // The cipher's name, or "Unsupported Encryption Type".
  std::string Name(int id) const;

  // Throws for an unsupported id and leaves the special type as it was.
  void SetSpecial(int id);
  // The special data encryption type's id, or -1 when the unit named none.
  int GetSpecial() const;
  void ClearSpecial();

 private:
  std::array<EncryptionType, 3> m_types;
  // Read by every sending and receiving thread, set by the negotiation.
  std::atomic<int> m_specialId{-1};
};
