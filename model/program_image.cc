#include "model/program_image.h"

#include <algorithm>

#include "model/coding.h"

namespace scenario {
namespace {

// Reads a little-endian number of `Bytes` bytes at `at`; false when the file
// is shorter.
template <typename T>
bool read_at(std::string_view file, uint64_t at, T* value) {
  if (at > file.size()) return false;
  std::string_view in = file.substr(at);
  if constexpr (sizeof(T) == 2) return get_u16(&in, value);
  if constexpr (sizeof(T) == 4) return get_u32(&in, value);
  if constexpr (sizeof(T) == 8) return get_u64(&in, value);
}

// An extent [offset, offset + size) that lies within the file extends the
// image; one that does not makes the headers unbelievable.
bool extend(uint64_t offset, uint64_t size, uint64_t file_size, uint64_t* end) {
  if (offset > file_size || size > file_size - offset) return false;
  *end = std::max(*end, offset + size);
  return true;
}

std::optional<program_image> elf_image(std::string_view file) {
  if (file.size() < 0x34) return std::nullopt;
  const bool wide = file[4] == 2;  // ELFCLASS64
  if (file[5] != 1) return std::nullopt;  // little-endian only: x86 and x86-64
  uint64_t phoff = 0, shoff = 0;
  uint16_t ehsize = 0, phentsize = 0, phnum = 0, shentsize = 0, shnum = 0;
  bool ok;
  if (wide) {
    ok = read_at(file, 0x20, &phoff) && read_at(file, 0x28, &shoff);
  } else {
    uint32_t ph32 = 0, sh32 = 0;
    ok = read_at(file, 0x1c, &ph32) && read_at(file, 0x20, &sh32);
    phoff = ph32;
    shoff = sh32;
  }
  const uint64_t h = wide ? 0x34 : 0x28;
  ok = ok && read_at(file, h, &ehsize) && read_at(file, h + 2, &phentsize) && read_at(file, h + 4, &phnum) &&
       read_at(file, h + 6, &shentsize) && read_at(file, h + 8, &shnum);
  if (!ok) return std::nullopt;
  uint64_t end = 0;
  const uint64_t n = file.size();
  if (!extend(0, ehsize, n, &end) || !extend(phoff, uint64_t{phentsize} * phnum, n, &end) ||
      !extend(shoff, uint64_t{shentsize} * shnum, n, &end)) {
    return std::nullopt;
  }
  for (uint16_t i = 0; i < phnum; ++i) {
    const uint64_t at = phoff + uint64_t{i} * phentsize;
    uint64_t offset = 0, size = 0;
    if (wide) {
      ok = read_at(file, at + 8, &offset) && read_at(file, at + 32, &size);
    } else {
      uint32_t o = 0, s = 0;
      ok = read_at(file, at + 4, &o) && read_at(file, at + 16, &s);
      offset = o;
      size = s;
    }
    if (!ok || !extend(offset, size, n, &end)) return std::nullopt;
  }
  for (uint16_t i = 0; i < shnum; ++i) {
    const uint64_t at = shoff + uint64_t{i} * shentsize;
    uint32_t type = 0;
    uint64_t offset = 0, size = 0;
    if (wide) {
      ok = read_at(file, at + 4, &type) && read_at(file, at + 24, &offset) && read_at(file, at + 32, &size);
    } else {
      uint32_t o = 0, s = 0;
      ok = read_at(file, at + 4, &type) && read_at(file, at + 16, &o) && read_at(file, at + 20, &s);
      offset = o;
      size = s;
    }
    if (!ok) return std::nullopt;
    if (type == 8) continue;  // SHT_NOBITS: no bytes in the file
    if (!extend(offset, size, n, &end)) return std::nullopt;
  }
  return program_image{end, false, 0, std::nullopt};
}

std::optional<program_image> pe_image(std::string_view file) {
  uint32_t pe = 0;
  if (!read_at(file, 0x3c, &pe) || pe > file.size() || file.substr(pe, 4) != std::string_view("PE\0\0", 4)) {
    return std::nullopt;
  }
  const uint64_t coff = pe + 4;
  uint16_t sections = 0, optional_size = 0;
  uint32_t symbols_at = 0, symbols = 0;
  if (!read_at(file, coff + 2, &sections) || !read_at(file, coff + 8, &symbols_at) ||
      !read_at(file, coff + 12, &symbols) || !read_at(file, coff + 16, &optional_size)) {
    return std::nullopt;
  }
  const uint64_t table = coff + 20 + optional_size;
  uint64_t end = 0;
  const uint64_t n = file.size();
  if (!extend(0, table + uint64_t{sections} * 40, n, &end)) return std::nullopt;
  uint32_t headers_size = 0;  // SizeOfHeaders, the same place in PE32 and PE32+
  if (read_at(file, coff + 20 + 60, &headers_size) && !extend(0, headers_size, n, &end)) return std::nullopt;
  for (uint16_t i = 0; i < sections; ++i) {
    uint32_t raw_size = 0, raw_at = 0;
    if (!read_at(file, table + i * 40ull + 16, &raw_size) || !read_at(file, table + i * 40ull + 20, &raw_at)) {
      return std::nullopt;
    }
    if (raw_size != 0 && !extend(raw_at, raw_size, n, &end)) return std::nullopt;
  }
  if (symbols_at != 0) {
    // The COFF symbol table (18 bytes a symbol) and the string table after
    // it, whose first four bytes give its size.
    const uint64_t strings_at = symbols_at + uint64_t{symbols} * 18;
    uint32_t strings_size = 0;
    if (!extend(symbols_at, uint64_t{symbols} * 18, n, &end) || !read_at(file, strings_at, &strings_size) ||
        !extend(strings_at, std::max<uint32_t>(strings_size, 4), n, &end)) {
      return std::nullopt;
    }
  }
  program_image image{end, true, 0, std::nullopt};
  // The security directory, fifth of the data directories, which follow
  // the optional header's fixed part (96 bytes in PE32, 112 in PE32+).
  uint16_t magic = 0;
  uint32_t directories = 0;
  const uint64_t optional_at = coff + 20;
  if (read_at(file, optional_at, &magic) && (magic == 0x10b || magic == 0x20b)) {
    const uint64_t fixed = magic == 0x20b ? 112 : 96;
    const uint64_t entry = optional_at + fixed + 4 * 8;
    uint32_t offset = 0, size = 0;
    if (read_at(file, optional_at + fixed - 4, &directories) && directories > 4 && entry + 8 <= table &&
        read_at(file, entry, &offset) && read_at(file, entry + 4, &size)) {
      image.security_entry = entry;
      if (size != 0 && offset >= end && uint64_t{offset} + size <= n) image.certificates = file_extent{offset, size};
    }
  }
  return image;
}

}  // namespace

std::optional<program_image> read_program_image(std::string_view file) {
  if (file.substr(0, 4) == "\x7f" "ELF") return elf_image(file);
  if (file.substr(0, 2) == "MZ") return pe_image(file);
  return std::nullopt;
}

uint64_t after_certificate_entries(std::string_view file, uint64_t at, uint64_t limit) {
  limit = std::min<uint64_t>(limit, file.size());
  for (;;) {
    const uint64_t aligned = (at + 7) / 8 * 8;
    if (aligned + 8 > limit || file.substr(at, aligned - at).find_first_not_of('\0') != std::string_view::npos) {
      return at;
    }
    uint32_t length = 0;
    uint16_t revision = 0, type = 0;
    read_at(file, aligned, &length);
    read_at(file, aligned + 4, &revision);
    read_at(file, aligned + 6, &type);
    if ((revision != 0x0100 && revision != 0x0200) || type < 1 || type > 4 || length < 8 || length > limit - aligned) {
      return at;
    }
    at = aligned + length;
  }
}

}  // namespace scenario
