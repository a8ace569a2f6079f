#include "model/program_image.h"

#include <gtest/gtest.h>

#include <string>

#include "model/test_programs.h"

namespace scenario {
namespace {

using testing::kTestPeSecurityEntry;
using testing::signed_copy;
using testing::test_elf;
using testing::test_pe;

// A section that has no bytes in the file (.bss) does not reach past the
// image, however large it says it is.
TEST(ProgramImage, SectionWithoutFileBytesIsNotCounted) {
  for (const uint64_t size : {uint64_t{40}, uint64_t{1} << 20}) {
    const std::string elf = test_elf(size);
    const auto image = read_program_image(elf + std::string(64, 'x'));
    ASSERT_TRUE(image.has_value()) << size;
    EXPECT_EQ(image->end, 208u) << size;
    EXPECT_FALSE(image->portable_executable);
  }
}

// A signer's certificate table is found where the security directory
// points, after the image and the zero bytes that align it; it is not
// part of the image, whose end is that of its section.
TEST(ProgramImage, CertificateTableOfASignedProgram) {
  const std::string program = test_pe(std::string(0x101, 'p'));
  const auto plain = read_program_image(program);
  ASSERT_TRUE(plain.has_value());
  EXPECT_EQ(plain->end, 0x301u);
  EXPECT_TRUE(plain->portable_executable);
  EXPECT_EQ(plain->security_entry, kTestPeSecurityEntry);
  EXPECT_FALSE(plain->certificates.has_value());

  const std::string signed_program = signed_copy(program);
  const auto image = read_program_image(signed_program);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->end, 0x301u);
  ASSERT_TRUE(image->certificates.has_value());
  EXPECT_EQ(image->certificates->offset, 0x308u);
  EXPECT_EQ(image->certificates->end(), signed_program.size());
  EXPECT_EQ(after_certificate_entries(signed_program, image->end, signed_program.size()), signed_program.size());

  // A directory pointing past the end (the copy lost its table) points at
  // no table, and the image is still read.
  const auto cut = read_program_image(signed_program.substr(0, 0x310));
  ASSERT_TRUE(cut.has_value());
  EXPECT_FALSE(cut->certificates.has_value());
}

TEST(ProgramImage, CertificateEntriesEndAtTheFirstBytesThatAreNone) {
  const std::string signed_program = signed_copy(test_pe("p"));
  const std::string after = signed_program + "dopo";
  EXPECT_EQ(after_certificate_entries(after, 0x201, after.size()), signed_program.size());
  // An entry reaching past the limit is not one.
  EXPECT_EQ(after_certificate_entries(after, 0x201, signed_program.size() - 1), 0x201u);
  // Bytes other than zero before the entry: none.
  std::string marked = signed_program;
  marked[0x203] = 'x';
  EXPECT_EQ(after_certificate_entries(marked, 0x201, marked.size()), 0x201u);
}

}  // namespace
}  // namespace scenario
