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
  if (!CEncryptionTypes::IsValid(id))
    throw TextError("Attempt to create an unsupported encryption type.");
  m_name = CipherName(id);
}

CEncryptionTypes::CEncryptionTypes()
    : m_types{EncryptionType(ENCRYPTION_NONE), EncryptionType(ENCRYPTION_TRIPLE_DES),
              EncryptionType(ENCRYPTION_BLOWFISH)} {}

bool CEncryptionTypes::IsValid(int id) {
  return id >= ENCRYPTION_NONE && id <= ENCRYPTION_BLOWFISH;
}

int CEncryptionTypes::Index(int id) {
  if (!IsValid(id)) throw TextError("Attempt to use an unsupported encryption type!");
  return id - ENCRYPTION_NONE;
}

void CEncryptionTypes::SetOffered(int id, bool offered) { m_types[Index(id)].SetOffered(offered); }

bool CEncryptionTypes::IsOffered(int id) const { return m_types[Index(id)].IsOffered(); }

std::string CEncryptionTypes::Name(int id) const {
  return IsValid(id) ? m_types[Index(id)].Name() : "Unsupported Encryption Type";
}

void CEncryptionTypes::SetSpecial(int id) {
  if (!IsValid(id))
    throw TextError(
        "Attempt to set an unsupported encryption type as the special data encryption type!");
  m_specialId = m_types[Index(id)].Id();
}

int CEncryptionTypes::GetSpecial() const { return m_specialId; }

void CEncryptionTypes::ClearSpecial() { m_specialId = -1; }
