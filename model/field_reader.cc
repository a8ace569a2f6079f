#include "model/field_reader.h"

#include <algorithm>
#include <cstring>

#include "model/load_failure.h"

namespace scenario {

std::vector<size_t> line_starts(std::string_view text) {
  std::vector<size_t> starts{0};
  // Line by line with memchr: LF ends a line, and so does a CR that is not
  // the first half of CR LF.
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const auto find = [](const char* from, const char* to, char c) {
    return static_cast<const char*>(std::memchr(from, c, static_cast<size_t>(to - from)));
  };
  for (const char* p = begin; p != end;) {
    const char* const lf = find(p, end, '\n');
    const char* const line_end = lf != nullptr ? lf : end;
    for (const char* cr = find(p, line_end, '\r'); cr != nullptr; cr = find(cr + 1, line_end, '\r')) {
      if (cr + 1 == lf) break;
      starts.push_back(static_cast<size_t>(cr + 1 - begin));
    }
    if (lf == nullptr) break;
    starts.push_back(static_cast<size_t>(lf + 1 - begin));
    p = lf + 1;
  }
  return starts;
}

std::vector<std::string_view> text_lines(std::string_view text) {
  const std::vector<size_t> starts = line_starts(text);
  std::vector<std::string_view> lines;
  lines.reserve(starts.size());
  for (size_t i = 0; i < starts.size(); ++i) {
    size_t end = i + 1 < starts.size() ? starts[i + 1] : text.size();
    while (end > starts[i] && (text[end - 1] == '\r' || text[end - 1] == '\n')) --end;
    lines.push_back(text.substr(starts[i], end - starts[i]));
  }
  return lines;
}

field_reader::field_reader(std::string text) : text_(std::move(text)), line_starts_(line_starts(text_)) {}

bool field_reader::at_blank() const { return pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t'); }

bool field_reader::at_line_end() const {
  return pos_ < text_.size() && (text_[pos_] == '\r' || text_[pos_] == '\n');
}

void field_reader::skip_blanks() {
  while (at_blank()) ++pos_;
}

void field_reader::skip_blanks_and_line_ends() {
  while (at_blank() || at_line_end()) ++pos_;
}

void field_reader::consume_line_end() {
  if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
  if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
}

bool field_reader::ended() const {
  size_t p = pos_;
  while (p < text_.size() && (text_[p] == ' ' || text_[p] == '\t' || text_[p] == '\r' || text_[p] == '\n')) ++p;
  return p == text_.size();
}

void field_reader::start_field() {
  skip_blanks_and_line_ends();
  last_start_ = pos_;
  last_comma_ = false;
  ++record_fields_;
  if (mark_line_ > 0 && spill_.field == 0 && pos_ >= mark_next_line_) {
    spill_ = spill{record_fields_, site_of(pos_).line, pos_ == text_.size()};
  }
  if (pos_ == text_.size()) fail("lettura oltre la fine del file");
}

void field_reader::mark_record() {
  mark_line_ = site_of(last_start_).line;
  mark_next_line_ = static_cast<size_t>(mark_line_) < line_starts_.size() ? line_starts_[mark_line_] : text_.size();
  record_fields_ = 0;
  spill_ = spill{};
  record_numbers_.clear();
  record_text_size_ = 0;
}

void field_reader::skip_to_line_after_record() {
  // The key's line is passed for good, so every skip makes progress.
  if (mark_line_ > 0) pos_ = std::min(mark_next_line_, text_.size());
  mark_line_ = 0;
  spill_ = spill{};
}

std::string field_reader::read_text() {
  start_field();
  const std::string_view field = read_text_body();
  // A stored text carries a 16-bit length in the item table.
  if (field.size() > kMaxTextBytes) fail("testo piu' lungo di 65535 caratteri");
  record_text_at_ = static_cast<size_t>(field.data() - text_.data());
  record_text_size_ = field.size();
  return std::string(field);
}

field_reader::text_token field_reader::text_at(size_t at) const {
  const std::string_view all(text_);
  text_token t;
  if (text_[at] == '"') {
    const size_t close = text_.find('"', at + 1);
    if (close == std::string::npos) {
      // Unread by design; as far as a view goes, it runs to its line end.
      size_t stop = at;
      while (stop < text_.size() && text_[stop] != '\r' && text_[stop] != '\n') ++stop;
      t.value = all.substr(at + 1, stop - at - 1);
      t.end = t.next = stop;
      t.closed = false;
      return t;
    }
    t.value = all.substr(at + 1, close - at - 1);
    t.end = close + 1;
    t.next = t.end;
    while (t.next < text_.size() && (text_[t.next] == ' ' || text_[t.next] == '\t')) ++t.next;
    return t;
  }
  size_t stop = at;
  while (stop < text_.size() && text_[stop] != ',' && text_[stop] != '\r' && text_[stop] != '\n') ++stop;
  t.value = all.substr(at, stop - at);
  while (!t.value.empty() && (t.value.back() == ' ' || t.value.back() == '\t')) t.value.remove_suffix(1);
  t.end = at + t.value.size();
  t.next = stop;
  return t;
}

void field_reader::end_text_field() {
  if (pos_ < text_.size() && text_[pos_] == ',') {
    ++pos_;
    last_comma_ = true;
  } else {
    consume_line_end();
  }
}

std::string_view field_reader::read_text_body() {
  const text_token t = text_at(pos_);
  if (!t.closed) fail("testo tra virgolette senza virgolette di chiusura");
  pos_ = t.next;
  end_text_field();
  return t.value;
}

field_reader::number_token field_reader::number_at(size_t at, int64_t high) const {
  // One pass over the token: its digits are added up as it is found.
  const size_t size = text_.size();
  number_token t;
  size_t stop = at;
  const bool negative = stop < size && text_[stop] == '-';
  if (negative) ++stop;
  const size_t digits_at = stop;
  for (; stop < size; ++stop) {
    const char c = text_[stop];
    if (c >= '0' && c <= '9') {
      // Far out of range stays out of range: the callers' tests refuse it.
      if (t.value <= high) t.value = t.value * 10 + (c - '0');
    } else if (c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n') {
      break;
    } else {
      t.whole = false;
    }
  }
  t.end = stop;
  t.digits = stop > digits_at;
  if (negative) t.value = -t.value;
  return t;
}

void field_reader::end_number_field() {
  skip_blanks();
  if (pos_ < text_.size() && text_[pos_] == ',') {
    ++pos_;
  } else {
    consume_line_end();
  }
}

int64_t field_reader::read_number(int64_t low, int64_t high, const char* width) {
  start_field();
  const number_token t = number_at(pos_, high);
  // Nothing at all reads 0; a sign alone or anything but digits is refused.
  int64_t value = 0;
  if (t.end > pos_) {
    const std::string_view token(text_.data() + pos_, t.end - pos_);
    if (!t.whole || !t.digits) not_a_number(token);
    value = t.value;
    if (value < low || value > high) {
      fail("il numero " + std::string(token) + " non entra in un campo " + width);
    }
  }
  pos_ = t.end;
  end_number_field();
  record_numbers_.push_back(value);
  return value;
}

std::optional<field_extent> field_reader::pass_field(field_type type) {
  if (ended()) return std::nullopt;
  start_field();
  field_extent e;
  e.begin = pos_;
  if (type == field_type::number) {
    const number_token t = number_at(pos_, INT32_MAX);
    e.end = t.end;
    e.value = std::string_view(text_).substr(pos_, t.end - pos_);
    e.sound = e.value.empty() || (t.whole && t.digits && t.value >= INT32_MIN && t.value <= INT32_MAX);
    pos_ = t.end;
    end_number_field();
    return e;
  }
  const text_token t = text_at(pos_);
  e.end = t.end;
  e.value = t.value;
  e.sound = t.closed;
  pos_ = t.next;
  end_text_field();
  return e;
}

void field_reader::not_a_number(std::string_view token) const {
  const std::string quoted = "\"" + std::string(token) + "\" non e' un numero intero";
  if (token[0] == '+') fail(quoted + ": il segno + non si scrive (" + std::string(token.substr(1)) + ")");
  if (token.find('.') != std::string_view::npos) fail(quoted + ": i decimali non sono ammessi");
  fail(quoted);
}

int32_t field_reader::read_long() {
  return static_cast<int32_t>(read_number(INT32_MIN, INT32_MAX, "a 32 bit"));
}

int16_t field_reader::read_integer() {
  return static_cast<int16_t>(read_number(INT16_MIN, INT16_MAX, "a 16 bit"));
}

uint8_t field_reader::read_byte() { return static_cast<uint8_t>(read_number(0, 255, "da 0 a 255")); }

field_site field_reader::site_of(size_t offset) const {
  // Fields are read in order, so the line asked for is nearly always the
  // one asked for before or one a little after it.
  size_t line = line_hint_;
  if (line < 1 || line > line_starts_.size() || line_starts_[line - 1] > offset) line = 1;
  while (line < line_starts_.size() && line_starts_[line] <= offset) {
    if (line + 8 < line_starts_.size() && line_starts_[line + 8] <= offset) {
      const auto it = std::upper_bound(line_starts_.begin() + static_cast<std::ptrdiff_t>(line), line_starts_.end(), offset);
      line = static_cast<size_t>(it - line_starts_.begin());
      break;
    }
    ++line;
  }
  line_hint_ = line;
  return field_site{static_cast<int32_t>(line), static_cast<int32_t>(offset - line_starts_[line - 1] + 1)};
}

std::string_view field_reader::line_text(int32_t line) const {
  if (line < 1 || static_cast<size_t>(line) > line_starts_.size()) return {};
  const size_t begin = line_starts_[line - 1];
  size_t end = begin;
  while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n') ++end;
  return std::string_view(text_).substr(begin, end - begin);
}

void field_reader::fail(const std::string& what) const {
  const field_site s = site_of(last_start_);
  throw load_failure(what, s.line, s.column);
}

std::string_view text_line(std::string_view text, int32_t n) {
  if (n < 1) return {};
  size_t from = 0;
  for (int32_t i = 1; i < n; ++i) {
    from = text.find('\n', from);
    if (from == std::string_view::npos) return {};
    ++from;
  }
  std::string_view line = text.substr(from, std::min(text.find('\n', from), text.size()) - from);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace scenario
