// Test support: small program files built byte by byte, a Windows one that
// can be signed as a signer signs it, and a Linux one with a section that
// takes no bytes in the file.
#ifndef MODEL_TEST_PROGRAMS_H_
#define MODEL_TEST_PROGRAMS_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace scenario::testing {

// Little-endian `value` over the `Bytes` bytes of `file` at `at`.
template <int Bytes>
void poke(std::string& file, size_t at, uint64_t value) {
  for (int i = 0; i < Bytes; ++i) file[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

// PE32+ layout: "PE\0\0" at 0x40, the optional header at 0x58 (240 bytes,
// sixteen data directories), one section header at 0x148, the section's
// bytes at 0x200.
inline constexpr size_t kTestPeSection = 0x148;
inline constexpr size_t kTestPeSecurityEntry = 0x58 + 112 + 4 * 8;

// A Windows program whose one section holds `section` and ends the image.
inline std::string test_pe(std::string_view section) {
  std::string f(0x200, '\0');
  f[0] = 'M';
  f[1] = 'Z';
  poke<4>(f, 0x3c, 0x40);
  f.replace(0x40, 4, std::string("PE\0\0", 4));
  poke<2>(f, 0x44, 0x8664);         // x86-64
  poke<2>(f, 0x46, 1);              // one section
  poke<2>(f, 0x54, 240);            // optional header size
  poke<2>(f, 0x58, 0x20b);          // PE32+
  poke<4>(f, 0x58 + 60, 0x200);     // SizeOfHeaders
  poke<4>(f, 0x58 + 108, 16);       // data directories
  poke<4>(f, kTestPeSection + 16, section.size());  // SizeOfRawData
  poke<4>(f, kTestPeSection + 20, 0x200);           // PointerToRawData
  f.append(section);
  return f;
}

// `file` signed as a signer signs it: zero bytes up to a multiple of 8,
// then a certificate table of one entry (WIN_CERTIFICATE, revision 2.0,
// PKCS#7) of `size` bytes, which the security directory points at.
inline std::string signed_copy(std::string file, size_t size = 0x58) {
  file.resize((file.size() + 7) / 8 * 8, '\0');
  const size_t table = file.size();
  std::string entry(size, '\x30');
  poke<4>(entry, 0, size);
  poke<2>(entry, 4, 0x0200);
  poke<2>(entry, 6, 0x0002);
  file += entry;
  poke<4>(file, kTestPeSecurityEntry, table);
  poke<4>(file, kTestPeSecurityEntry + 4, size);
  return file;
}

// An ELF64 file of 208 bytes: the header, two section headers at 64 (a
// section of 16 bytes at 192, then one of `nobits_size` bytes "at" 208
// that has no bytes in the file, as .bss has none), and the 16 bytes.
inline std::string test_elf(uint64_t nobits_size) {
  std::string f(208, '\0');
  f.replace(0, 4, "\x7f" "ELF");
  f[4] = 2;  // 64 bits
  f[5] = 1;  // little-endian
  f[6] = 1;
  poke<8>(f, 0x28, 64);   // e_shoff
  poke<2>(f, 0x34, 64);   // e_ehsize
  poke<2>(f, 0x3a, 64);   // e_shentsize
  poke<2>(f, 0x3c, 2);    // e_shnum
  const size_t data = 64, bss = 128;
  poke<4>(f, data + 4, 1);  // SHT_PROGBITS
  poke<8>(f, data + 24, 192);
  poke<8>(f, data + 32, 16);
  poke<4>(f, bss + 4, 8);   // SHT_NOBITS
  poke<8>(f, bss + 24, 208);
  poke<8>(f, bss + 32, nobits_size);
  return f;
}

}  // namespace scenario::testing

#endif  // MODEL_TEST_PROGRAMS_H_
