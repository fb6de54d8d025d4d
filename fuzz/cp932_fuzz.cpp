// CP932 and UTF-8 conversions and the text checks on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/cp932.h"
#include "platform/text_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string text = cp932::ToUtf16(bytes);
  std::string back;
  (void)cp932::FromUtf16(text, back);
  (void)cp932::ByteLength(text);
  for (size_t max = 0; max < 6 && max <= size; ++max) {
    const std::string_view cut = cp932::CutToBytes(bytes, max);
    if (cut.size() > max) __builtin_trap();
  }
  // The UTF-8 side (the server's accounts file, tools and logs) on the same bytes.
  (void)cp932::FromUtf8(bytes);
  (void)cp932::ToUtf8(bytes);
  // As raw UTF-16 too: arbitrary code units, surrogates included.
  std::u16string units(size / 2, u'\0');
  for (size_t i = 0; i + 1 < size; i += 2) units[i / 2] = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  (void)cp932::FromUtf16(units, back);
  const std::string z(bytes.c_str());
  (void)IsValidNameText(z.c_str());
  (void)IsAlphanumericText(z.c_str());
  return 0;
}
