#include "protocol/EncryptionTypes.h"

#include "platform/TextError.h"

namespace {
const char* CipherName(int id) {
  switch (id) {
    case ENCRYPTION_NONE:
      return "NONE";
    case ENCRYPTION_TRIPLE_DES:
      return "TRIPLE DES";
    default:
      return "BLOWFISH";
  }
}
}  // namespace

EncryptionType::EncryptionType(int id) : m_id(id) {
  if (!EncryptionTypes::IsValid(id))
    throw TextError("Attempt to create an unsupported encryption type.");
  m_name = CipherName(id);
}

EncryptionTypes::EncryptionTypes()
    : m_types{EncryptionType(ENCRYPTION_NONE), EncryptionType(ENCRYPTION_TRIPLE_DES),
              EncryptionType(ENCRYPTION_BLOWFISH)} {}

bool EncryptionTypes::IsValid(int id) {
  return id >= ENCRYPTION_NONE && id <= ENCRYPTION_BLOWFISH;
}

int EncryptionTypes::Index(int id) {
  if (!IsValid(id)) throw TextError("Attempt to use an unsupported encryption type!");
  return id - ENCRYPTION_NONE;
}

void EncryptionTypes::SetOffered(int id, bool offered) { m_types[Index(id)].SetOffered(offered); }

bool EncryptionTypes::IsOffered(int id) const { return m_types[Index(id)].IsOffered(); }

std::string EncryptionTypes::Name(int id) const {
  return IsValid(id) ? m_types[Index(id)].Name() : "Unsupported Encryption Type";
}

void EncryptionTypes::SetSpecial(int id) {
  if (!IsValid(id))
    throw TextError(
        "Attempt to set an unsupported encryption type as the special data encryption type!");
  m_specialId = m_types[Index(id)].Id();
}

int EncryptionTypes::GetSpecial() const { return m_specialId; }

void EncryptionTypes::ClearSpecial() { m_specialId = -1; }
