// The one way shapes and text become SVG: numbers written short, text
// escaped for XML, and every element written by svg_writer.
#ifndef TOOL_SVG_WRITER_H_
#define TOOL_SVG_WRITER_H_

#include <string>
#include <string_view>
#include <vector>

#include "tool/map/label_placer.h"

namespace scenario::tool {

// A number with at most `decimals` decimals and no trailing zeros.
std::string number(double v, int decimals = 1);
// The same with a decimal comma, for people.
std::string decimal_comma(double v, int decimals);

// `text` (ANSI) as UTF-8 with the XML specials escaped; control characters,
// which XML cannot carry, become blanks.
std::string xml_text(std::string_view ansi);
// The same for text that is UTF-8 already.
std::string xml_escaped(std::string_view utf8);

// Estimated width of a line of UTF-8 text; no font metrics at hand, so it
// errs on the wide side.
double text_width(std::string_view utf8, double font_size, bool bold = false);

class svg_writer {
 public:
  std::string out;

  void open_group(const std::string& attrs) { out += "<g " + attrs + ">\n"; }
  void close_group() { out += "</g>\n"; }
  void line(map_point a, map_point b, const std::string& attrs);
  void polyline(const std::vector<map_point>& points, const std::string& attrs);
  void polygon(const std::vector<map_point>& points, const std::string& attrs);
  void rect(const map_box& b, const std::string& attrs);
  void circle(map_point c, double r, const std::string& attrs);
  // `utf8` must already be escaped (xml_text) or plain ASCII without specials.
  void text(map_point at, const std::string& utf8, const std::string& attrs);
};

}  // namespace scenario::tool

#endif  // TOOL_SVG_WRITER_H_
