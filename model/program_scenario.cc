#include "model/program_scenario.h"

#include "model/coding.h"
#include "model/program_image.h"

namespace scenario {
namespace {

damaged_pack damaged(const std::string& what) { return damaged_scenario(what); }

// Where what is appended ends: the end of the file, or, when a certificate
// table ends the file, where it begins, less the zero bytes that align it.
uint64_t appended_end(std::string_view file, const program_image& image) {
  if (!image.certificates || image.certificates->end() != file.size()) return file.size();
  const uint64_t table = image.certificates->offset;
  uint64_t end = table;
  while (end > image.end && table - end < 7 && file[end - 1] == '\0') --end;
  return end;
}

}  // namespace

carried_scenario scenario_in_program_file(std::string_view file) {
  const std::optional<program_image> image = read_program_image(file);
  if (!image) {
    if (file.ends_with(kPackMark)) {
      return damaged("non leggibile: le intestazioni del programma sono alterate (il file e' stato modificato)");
    }
    return no_packed_scenario{};
  }
  const uint64_t end = appended_end(file, *image);
  const std::string_view carried = file.substr(0, end);
  if (!carried.ends_with(kPackMark)) {
    // No scenario: what follows the image may only be a signature.
    const uint64_t signed_end =
        image->portable_executable ? after_certificate_entries(file, image->end, end) : image->end;
    if (signed_end >= end) return no_packed_scenario{};
    return read_packed_scenario(carried, signed_end);
  }
  if (end < image->end + kPackTrailerSize) {
    return damaged("non valido: le intestazioni del programma coprono lo scenario (il file e' stato modificato)");
  }
  // The scenario starts where its trailer says; before it only the image
  // and, in a PE program, the certificate entries of an earlier signature.
  std::string_view trailer = carried.substr(end - kPackTrailerSize);
  uint64_t payload_size = 0;
  get_u64(&trailer, &payload_size);
  uint64_t image_end = image->end;
  if (image->portable_executable && payload_size <= end - kPackTrailerSize - image->end) {
    image_end = after_certificate_entries(file, image->end, end - kPackTrailerSize - payload_size);
  }
  return read_packed_scenario(carried, image_end);
}

std::optional<std::string> program_to_pack(std::string_view file) {
  const std::optional<program_image> image = read_program_image(file);
  if (!image) return std::nullopt;
  std::string program(file.substr(0, image->end));
  if (image->security_entry != 0) program.replace(image->security_entry, 8, 8, '\0');
  return program;
}

}  // namespace scenario
