#include "tool/lsp/documents.h"

#include <filesystem>
#include <set>

#include "model/ansi_text.h"
#include "model/definition_files.h"
#include "model/file_names.h"

namespace scenario::tool {
namespace {

constexpr std::string_view kLineSuffix = "_linea.txt";
constexpr std::string_view kTrainSuffix = "-.txt";

bool ends_with_folded(std::string_view name, std::string_view suffix) {
  return name.size() > suffix.size() && to_lower_ansi(name.substr(name.size() - suffix.size())) == suffix;
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string folder_of(const std::string& path) { return std::filesystem::path(path).parent_path().string(); }
std::string name_of(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

std::optional<std::string> uri_to_path(std::string_view uri) {
  constexpr std::string_view kScheme = "file://";
  if (uri.size() < kScheme.size() || to_lower_ansi(uri.substr(0, kScheme.size())) != kScheme) return std::nullopt;
  uri.remove_prefix(kScheme.size());
  const size_t slash = uri.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::string host = to_lower_ansi(uri.substr(0, slash));
  std::string path;
  if (!host.empty() && host != "localhost") {
#ifdef _WIN32
    path = "//" + host;  // a share: \\host\share\...
#else
    return std::nullopt;
#endif
  }
  uri.remove_prefix(slash);
  for (size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] != '%') {
      path.push_back(uri[i]);
      continue;
    }
    if (i + 2 >= uri.size() || hex_value(uri[i + 1]) < 0 || hex_value(uri[i + 2]) < 0) return std::nullopt;
    path.push_back(static_cast<char>(hex_value(uri[i + 1]) * 16 + hex_value(uri[i + 2])));
    i += 2;
  }
  if (path.find('\0') != std::string::npos) return std::nullopt;
  // "/c:/x" is a Windows drive path.
  if (path.size() >= 3 && path[0] == '/' && path[2] == ':') path.erase(0, 1);
#ifdef _WIN32
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
#endif
  return path;
}

std::string path_to_uri(std::string_view path) {
  std::string uri = "file://";
  if (path.size() >= 2 && path[1] == ':') uri.push_back('/');
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (char c : path) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '\\') {
      uri.push_back('/');
    } else if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || c == '-' ||
               c == '.' || c == '_' || c == '~' || c == '/') {
      uri.push_back(c);
    } else {
      uri += {'%', kHex[u >> 4], kHex[u & 15]};
    }
  }
  return uri;
}

definition_file definition_kind(std::string_view file_name) {
  if (ends_with_folded(file_name, kLineSuffix)) return definition_file::line;
  if (ends_with_folded(file_name, kTrainSuffix)) return definition_file::train;
  return definition_file::none;
}

bool document_store::open(const std::string& uri, std::string utf8_text) {
  const auto path = uri_to_path(uri);
  if (path) open_[*path] = open_document{uri, std::move(utf8_text)};
  return path.has_value();
}

bool document_store::change(const std::string& uri, std::string utf8_text) { return open(uri, std::move(utf8_text)); }

bool document_store::close(const std::string& uri) {
  const auto path = uri_to_path(uri);
  if (path) open_.erase(*path);
  return path.has_value();
}

const std::string* document_store::open_text(const std::string& path) const {
  const auto it = open_.find(path);
  return it == open_.end() ? nullptr : &it->second.text;
}

std::optional<std::string> document_store::ansi_text(const std::string& path) const {
  if (const std::string* text = open_text(path)) return utf8_to_ansi(*text);
  return read_whole_file(path);
}

std::optional<std::string> document_store::utf8_text(const std::string& path) const {
  if (const std::string* text = open_text(path)) return *text;
  if (auto bytes = read_whole_file(path)) return ansi_to_utf8(*bytes);
  return std::nullopt;
}

std::string document_store::uri_of(const std::string& path) const {
  const auto it = open_.find(path);
  return it == open_.end() ? path_to_uri(path) : it->second.uri;
}

bool document_store::exists(const std::string& path) const {
  std::error_code ec;
  return open_.count(path) != 0 || std::filesystem::is_regular_file(path, ec);
}

std::optional<definition_pair> document_store::pair_of(const std::string& path) const {
  const std::string folder = folder_of(path);
  const std::string name = name_of(path);
  switch (definition_kind(name)) {
    case definition_file::none: return std::nullopt;
    case definition_file::line: {
      const std::string route = name.substr(0, name.size() - kLineSuffix.size());
      definition_pair pair{{route, ""}, path, ""};
      // Train definitions of this route: open ones first, then the folder's.
      const auto train_of = [&](const std::string& candidate) -> std::optional<std::string> {
        if (folder_of(candidate) != folder) return std::nullopt;
        const std::string n = name_of(candidate);
        if (definition_kind(n) != definition_file::train || n.size() <= route.size() + 1 + kTrainSuffix.size() ||
            n.compare(0, route.size() + 1, route + "_") != 0) {
          return std::nullopt;
        }
        return n.substr(route.size() + 1, n.size() - route.size() - 1 - kTrainSuffix.size());
      };
      for (const auto& entry : open_) {
        const std::string& open_path = entry.first;
        if (const auto train = train_of(open_path)) return definition_pair{{route, *train}, path, open_path};
      }
      std::set<std::string> on_disk;
      std::error_code ec;
      for (const auto& entry : std::filesystem::directory_iterator(folder.empty() ? "." : folder, ec)) {
        const std::string candidate = path_in(folder, entry.path().filename().string());
        if (train_of(candidate)) on_disk.insert(candidate);
      }
      if (!on_disk.empty()) {
        pair.train_path = *on_disk.begin();
        pair.id.train_number = *train_of(pair.train_path);
      }
      return pair;
    }
    case definition_file::train: {
      const std::string stem = name.substr(0, name.size() - kTrainSuffix.size());
      std::optional<definition_pair> fallback;
      // A route name may hold "_" itself: take the split whose line
      // definition exists, the last one otherwise.
      for (size_t cut = stem.rfind('_'); cut != std::string::npos && cut > 0; cut = stem.rfind('_', cut - 1)) {
        const std::string route = stem.substr(0, cut);
        definition_pair pair{{route, stem.substr(cut + 1)}, path_in(folder, line_definition_name(route)), path};
        if (exists(pair.line_path)) return pair;
        if (!fallback) fallback = pair;
      }
      return fallback;
    }
  }
  return std::nullopt;
}

definition_texts document_store::texts_of(const definition_pair& pair) const {
  definition_texts texts;
  texts.line = ansi_text(pair.line_path);
  if (!pair.train_path.empty()) texts.train = ansi_text(pair.train_path);
  return texts;
}

}  // namespace scenario::tool
