#include "tool/map/svg_writer.h"

#include <algorithm>
#include <cstdio>

#include "model/ansi_text.h"

namespace scenario::tool {
namespace {

std::string points_attr(const std::vector<map_point>& points) {
  std::string out;
  for (size_t i = 0; i < points.size(); ++i) {
    if (i != 0) out += ' ';
    out += number(points[i].x) + "," + number(points[i].y);
  }
  return out;
}

}  // namespace

std::string number(double v, int decimals) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  std::string s = buf;
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

// Numbers for people: decimal comma, as the rest of the tool's Italian.
std::string decimal_comma(double v, int decimals) {
  std::string s = number(v, decimals);
  std::replace(s.begin(), s.end(), '.', ',');
  return s;
}

std::string xml_text(std::string_view ansi) { return xml_escaped(ansi_to_utf8(ansi)); }

std::string xml_escaped(std::string_view utf8) {
  std::string out;
  for (char ch : utf8) {
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        if (static_cast<unsigned char>(ch) < 0x20 && ch != '\t' && ch != '\n') {
          out += ' ';
        } else {
          out += ch;
        }
    }
  }
  return out;
}

double text_width(std::string_view utf8, double font_size, bool bold) {
  double em = 0;
  for (char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c & 0xC0) == 0x80) continue;  // continuation byte
    if (c == 'I' || c == 'J') {
      em += 0.32;
    } else if (c == 'M' || c == 'W') {
      em += 0.95;
    } else if (c >= 'A' && c <= 'Z') {
      em += 0.74;
    } else if (c == 'i' || c == 'l' || c == 'j') {
      em += 0.29;
    } else if (c == 'f' || c == 't' || c == 'r') {
      em += 0.40;
    } else if (c == 'm' || c == 'w') {
      em += 0.95;
    } else if (c >= 'a' && c <= 'z') {
      em += 0.62;
    } else if (c >= '0' && c <= '9') {
      em += 0.64;
    } else if (c == ' ' || c == '.' || c == ',' || c == '\'' || c == ':') {
      em += 0.33;
    } else if (c == '(' || c == ')') {
      em += 0.40;
    } else {
      em += 0.70;
    }
  }
  return em * font_size * (bold ? 1.1 : 1.0);
}

void svg_writer::line(map_point a, map_point b, const std::string& attrs) {
  out += "<line x1=\"" + number(a.x) + "\" y1=\"" + number(a.y) + "\" x2=\"" + number(b.x) + "\" y2=\"" + number(b.y) +
         "\" " + attrs + "/>\n";
}

void svg_writer::polyline(const std::vector<map_point>& points, const std::string& attrs) {
  out += "<polyline points=\"" + points_attr(points) + "\" " + attrs + "/>\n";
}

void svg_writer::polygon(const std::vector<map_point>& points, const std::string& attrs) {
  out += "<polygon points=\"" + points_attr(points) + "\" " + attrs + "/>\n";
}

void svg_writer::rect(const map_box& b, const std::string& attrs) {
  out += "<rect x=\"" + number(b.x0) + "\" y=\"" + number(b.y0) + "\" width=\"" + number(b.x1 - b.x0) + "\" height=\"" +
         number(b.y1 - b.y0) + "\" " + attrs + "/>\n";
}

void svg_writer::circle(map_point c, double r, const std::string& attrs) {
  out += "<circle cx=\"" + number(c.x) + "\" cy=\"" + number(c.y) + "\" r=\"" + number(r) + "\" " + attrs + "/>\n";
}

void svg_writer::text(map_point at, const std::string& utf8, const std::string& attrs) {
  out += "<text x=\"" + number(at.x) + "\" y=\"" + number(at.y) + "\" " + attrs + ">" + utf8 + "</text>\n";
}

}  // namespace scenario::tool
