// How reg names value types and shows value data.
#ifndef TARNWELL_TOOLS_REG_VALUE_TEXT_H_
#define TARNWELL_TOOLS_REG_VALUE_TEXT_H_

#include <cstdint>
#include <string>

#include "platform/posix/registry/key.h"

namespace reg {

// The type named as on reg's command line ("REG_SZ", case-insensitive);
// false for a name reg does not accept.
bool TypeFromName(const std::string& name, uint32_t* type);
// "REG_SZ" and so on; "0x%x" for a type without a name.
std::string TypeName(uint32_t type);
// The data as QUERY shows it.
std::string DataText(const registry::Value& value);

}  // namespace reg

#endif  // TARNWELL_TOOLS_REG_VALUE_TEXT_H_
