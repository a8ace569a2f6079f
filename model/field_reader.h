// Reads a definition as one stream of fields, with the rules of sequential
// text input:
//  - a text field skips blanks and line ends, then is either a quoted text
//    up to the next double quote, or runs up to the next comma or line end,
//    which is consumed; blanks at its end are not part of it;
//  - a number field skips blanks and line ends and ends at the first blank,
//    comma or line end; blanks after it are skipped and one comma or one
//    line end is consumed. Blanks alone separate numbers, and nothing but
//    blanks before a comma reads 0;
//  - a line end (CR LF, LF or CR) only ends a field;
//  - the stream has ended as soon as nothing but blanks and line ends is
//    left, that is once its last field has been read.
// Blanks are spaces and tabs. Every failure (a read past the end, a number
// that is not a whole decimal number or does not fit its width, a quoted
// text without its closing quote) throws load_failure.
#ifndef MODEL_FIELD_READER_H_
#define MODEL_FIELD_READER_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// 1-based line and column of the first character of a field.
struct field_site {
  int32_t line = 0;
  int32_t column = 0;
  auto operator<=>(const field_site&) const = default;
};

// Where each line of `text` begins, as the reader counts lines: LF, CR LF
// and a CR alone each end one. The first line begins at 0; a text ending
// in a line end has an empty last line.
std::vector<size_t> line_starts(std::string_view text);
// The lines of `text`, without their line ends, counted as above.
std::vector<std::string_view> text_lines(std::string_view text);

// How a field is read.
enum class field_type { text, number };

// A field passed over without taking its value (field_reader::pass_field).
struct field_extent {
  size_t begin = 0;        // its first byte in the text: a quoted text's opening quote
  size_t end = 0;          // past its last: a quoted text's closing quote, a text's last non-blank
  std::string_view value;  // what a read returns: a quoted text without its quotes
  // False where a read would fail: a number that is not a whole decimal
  // number of 32 bits, a quoted text without its closing quote (which then
  // runs to the end of its line).
  bool sound = true;
};

class field_reader {
 public:
  static constexpr size_t kMaxTextBytes = 65535;

  explicit field_reader(std::string text);

  bool ended() const;

  std::string read_text();
  int32_t read_long();      // 32-bit signed
  int16_t read_integer();   // 16-bit signed
  uint8_t read_byte();      // 8-bit unsigned, 0 to 255
  // Reads the next field as `type` does, moving on the same way, but takes
  // no value and throws nothing: where the field lies and whether a read
  // would have taken it. Nullopt, with nothing read, once the stream has
  // ended. For the views of a definition being written, where a half-typed
  // field is no failure.
  std::optional<field_extent> pass_field(field_type type);

  // Where the last field read began.
  field_site last_site() const { return site_of(last_start_); }
  // True when the last text field was ended by a comma (more fields follow
  // on its line).
  bool last_ended_by_comma() const { return last_comma_; }

  // Where the byte at `offset` stands.
  field_site site_at(size_t offset) const { return site_of(offset); }
  // The text of a line, without its line end; empty past the last line.
  std::string_view line_text(int32_t line) const;

  // Records: mark_record() after a record's key; the fields read after it
  // are counted, and the first one that began on a later line than the key
  // (the record had fewer fields than its kind reads, so the next line was
  // read in) is kept as a spill: its number after the key (1 for the first
  // value) and its line; field 0 when there is none.
  struct spill {
    int32_t field = 0;
    int32_t line = 0;
    bool past_end = false;  // the file ended before the field
  };
  void mark_record();
  spill record_spill() const { return spill_; }
  // The numbers read since mark_record(), in order, and the last text.
  const std::vector<int64_t>& record_numbers() const { return record_numbers_; }
  std::string_view record_text() const { return std::string_view(text_).substr(record_text_at_, record_text_size_); }
  // Moves on to the start of the line after the record's key, so that a
  // record that could not be read can be passed over.
  void skip_to_line_after_record();

 private:
  bool at_blank() const;
  bool at_line_end() const;
  void skip_blanks();
  void skip_blanks_and_line_ends();
  void consume_line_end();
  void start_field();
  // The text field at `at`: its value and extent, and where reading goes
  // on after it (before the comma or line end that ends it).
  struct text_token {
    std::string_view value;
    size_t end = 0;
    size_t next = 0;
    bool closed = true;  // false: a quoted text without its closing quote
  };
  text_token text_at(size_t at) const;
  // The number token at `at`: up to the first blank, comma or line end.
  struct number_token {
    size_t end = 0;
    int64_t value = 0;  // beyond `high` once it is out of range
    bool whole = true;  // digits only, after an optional minus
    bool digits = false;
  };
  number_token number_at(size_t at, int64_t high) const;
  void end_text_field();
  void end_number_field();
  std::string_view read_text_body();
  int64_t read_number(int64_t low, int64_t high, const char* width);
  field_site site_of(size_t offset) const;
  [[noreturn]] void not_a_number(std::string_view token) const;
  [[noreturn]] void fail(const std::string& what) const;

  std::string text_;
  size_t pos_ = 0;
  size_t last_start_ = 0;
  bool last_comma_ = false;
  std::vector<size_t> line_starts_;
  mutable size_t line_hint_ = 1;  // the line site_of() found last
  int32_t mark_line_ = 0;
  size_t mark_next_line_ = 0;  // offset where the line after the key begins
  int32_t record_fields_ = 0;
  spill spill_;
  std::vector<int64_t> record_numbers_;
  size_t record_text_at_ = 0;  // where the last text read lies in text_
  size_t record_text_size_ = 0;
};

// Line `n` (from 1) of `text` without its line end; empty past the end.
std::string_view text_line(std::string_view text, int32_t n);

}  // namespace scenario

#endif  // MODEL_FIELD_READER_H_
