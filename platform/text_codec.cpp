#include "platform/text_codec.h"

#include "platform/cp1252.h"

namespace platform {

QString FromCp1252(std::string_view text) {
  // Plain ASCII, the common case (titles during a run), needs no table.
  bool ascii = true;
  for (const char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  const std::string utf8 = Cp1252ToUtf8(text);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace platform
