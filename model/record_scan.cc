#include "model/record_scan.h"

#include <optional>
#include <utility>

#include "model/record_keys.h"

namespace scenario {
namespace {

class record_scanner {
 public:
  record_scanner(std::string_view text, definition_file file) : reader_(std::string(text)), file_(file) {}

  std::vector<scanned_key> run() {
    general_ = file_ == definition_file::line;
    if (find_start()) read_keys();
    return std::move(keys_);
  }

 private:
  scanned_field field_of(const field_extent& e, field_type type) const {
    return {reader_.site_at(e.begin), reader_.site_at(e.end), type, std::string(e.value)};
  }

  scanned_key key_of(key_role role, const field_extent& e) const {
    scanned_key k;
    k.role = role;
    k.key = field_of(e, field_type::text);
    k.section = section_;
    k.general = general_;
    return k;
  }

  // Up to the field that holds "[generale]", every field is passed over.
  bool find_start() {
    while (const std::optional<field_extent> e = reader_.pass_field(field_type::text)) {
      if (starts_reading(e->value)) {
        section_ = "[generale]";
        keys_.push_back(key_of(key_role::header, *e));
        return true;
      }
      keys_.push_back(key_of(key_role::ignored, *e));
    }
    return false;
  }

  void read_keys() {
    while (std::optional<field_extent> e = reader_.pass_field(field_type::text)) {
      const int comments = general_ ? kGeneralSectionComments : kRecordComments;
      for (int i = 0; i < comments && is_comment_key(e->value); ++i) {
        keys_.push_back(key_of(key_role::comment, *e));
        e = reader_.pass_field(field_type::text);
        if (!e) return;
      }
      read_record(*e);
    }
  }

  void read_record(const field_extent& key) {
    reader_.mark_record();
    const bool header = is_section_header(key.value);
    if (header) section_ = section_of(key.value);
    std::vector<const record_kind*> kinds = kinds_for_key(key.value, file_, general_);
    // A header closes the line definition's general section.
    if (header) general_ = false;
    scanned_key k = key_of(header ? key_role::header : kinds.empty() ? key_role::unknown : key_role::record, key);
    k.kinds = std::move(kinds);
    read_fields(k);
    keys_.push_back(std::move(k));
  }

  void read_fields(scanned_key& k) {
    bool refused = false;  // a field a read refuses: the record ends on its key's line
    for (const record_kind* kind : k.kinds) {
      for (const record_field& f : kind->fields) {
        const field_type type = f.unit == field_unit::text ? field_type::text : field_type::number;
        const std::optional<field_extent> e = reader_.pass_field(type);
        if (!e) return;
        const field_reader::spill spill = reader_.record_spill();
        if (spill.field > 0 &&
            (refused || !e->sound || !lost_record_key(reader_.line_text(spill.line), file_).empty())) {
          // What it read on into is given back and read again, as keys.
          std::erase_if(k.fields, [&](const scanned_field& read) { return read.begin.line > k.key.begin.line; });
          reader_.skip_to_line_after_record();
          return;
        }
        refused = refused || !e->sound;
        k.fields.push_back(field_of(*e, type));
      }
    }
    if (refused) reader_.skip_to_line_after_record();
  }

  field_reader reader_;
  definition_file file_;
  bool general_ = false;
  std::string section_;
  std::vector<scanned_key> keys_;
};

}  // namespace

std::vector<scanned_key> scan_records(std::string_view text, definition_file file) {
  return record_scanner(text, file).run();
}

}  // namespace scenario
