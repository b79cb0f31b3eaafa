// Windows-1251 <-> UTF-8.
#include "media/Cp1251.h"

namespace media {

char32_t Cp1251ToUnicode(unsigned char byte) {
    return byte;
}
std::string Utf8ToCp1251(std::string_view utf8) {
    return std::string(utf8);
}
std::string Cp1251ToUtf8(std::string_view cp1251) {
    return std::string(cp1251);
}

}  // namespace media
