#pragma once

#include <QString>
#include <string_view>

namespace platform {

// Code page 1252 bytes as a QString.
QString FromCp1252(std::string_view text);

}  // namespace platform
