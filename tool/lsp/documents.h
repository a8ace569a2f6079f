// The definitions the language server knows: those the editor has open
// (their unsaved text counts) and those on disk beside them, found by name.
// Files are only ever read.
#ifndef TOOL_LSP_DOCUMENTS_H_
#define TOOL_LSP_DOCUMENTS_H_

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "model/findings.h"
#include "model/identity.h"
#include "model/loader.h"

namespace scenario::tool {

// file:///path with %XX escapes, to a path and back. A Windows drive path
// keeps its letter ("file:///c%3A/x" is "c:/x"). nullopt for a URI that
// names no local file by an absolute path: another scheme or host, an
// escape that is not two hex digits, a NUL (which would cut the name the
// system opens short of the name tested here).
std::optional<std::string> uri_to_path(std::string_view uri);
std::string path_to_uri(std::string_view path);

// Which definition a file name is: NAME_linea.txt or NAME_NUMBER-.txt.
definition_file definition_kind(std::string_view file_name);

// A line definition and the train definition that goes with it.
struct definition_pair {
  scenario_identity id;
  std::string line_path;
  std::string train_path;  // empty when no train definition was found
};

class document_store {
 public:
  // Each false, doing nothing, for a URI that names no local file.
  bool open(const std::string& uri, std::string utf8_text);
  bool change(const std::string& uri, std::string utf8_text);
  bool close(const std::string& uri);

  // The editor's text of the file, nullopt when it is not open.
  const std::string* open_text(const std::string& path) const;
  // The file as the compile reads it (Windows-1252): the editor's text
  // when open, else the file on disk; nullopt when neither exists.
  std::optional<std::string> ansi_text(const std::string& path) const;
  // The same as UTF-8, for columns and ranges.
  std::optional<std::string> utf8_text(const std::string& path) const;
  // The URI to publish for a path: the editor's own when open.
  std::string uri_of(const std::string& path) const;

  // The pair a definition belongs to: its partner by name in the same
  // folder, open in the editor or on disk.
  std::optional<definition_pair> pair_of(const std::string& path) const;
  definition_texts texts_of(const definition_pair& pair) const;

 private:
  bool exists(const std::string& path) const;
  struct open_document {
    std::string uri;
    std::string text;  // UTF-8
  };
  std::map<std::string, open_document> open_;  // by path
};

}  // namespace scenario::tool

#endif  // TOOL_LSP_DOCUMENTS_H_
