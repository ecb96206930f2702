#include "ui/core/command.h"

#include <charconv>
#include <cstdlib>

#include "platform/system/ascii_case.h"
#include "platform/system/hex.h"
#include "ui/core/constants.h"

namespace ui {
namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

bool Tokenize(std::string_view line, std::vector<Token>* tokens, std::string* error) {
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t') {
      ++i;
      continue;
    }
    Token token;
    if (c == '"') {
      token.quoted = true;
      ++i;
      bool closed = false;
      while (i < line.size()) {
        const char d = line[i++];
        if (d == '"') {
          closed = true;
          break;
        }
        if (d != '\\') {
          token.text.push_back(d);
          continue;
        }
        if (i >= line.size()) break;
        const char e = line[i++];
        switch (e) {
          case '"':
            token.text.push_back('"');
            break;
          case '\\':
            token.text.push_back('\\');
            break;
          case 'n':
            token.text.push_back('\n');
            break;
          case 'r':
            token.text.push_back('\r');
            break;
          case 't':
            token.text.push_back('\t');
            break;
          case 'x': {
            const int hi = i < line.size() ? platform::HexDigitValue(line[i]) : -1;
            const int lo = i + 1 < line.size() ? platform::HexDigitValue(line[i + 1]) : -1;
            if (hi < 0 || lo < 0) {
              *error = "bad \\x escape (two hexadecimal digits expected)";
              return false;
            }
            token.text.push_back(static_cast<char>(hi * 16 + lo));
            i += 2;
            break;
          }
          default:
            *error = std::string("unknown escape \\") + e;
            return false;
        }
      }
      if (!closed) {
        *error = "unterminated quoted text";
        return false;
      }
      if (i < line.size() && line[i] != ' ' && line[i] != '\t') {
        *error = "quoted text must be followed by a blank";
        return false;
      }
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
        if (line[i] == '"') {
          *error = "stray quote";
          return false;
        }
        token.text.push_back(line[i++]);
      }
    }
    tokens->push_back(std::move(token));
  }
  return true;
}

bool ParseInt(const Token& token, int* value) {
  if (token.quoted || token.text.empty()) return false;
  const char* begin = token.text.data();
  const char* end = begin + token.text.size();
  const auto [ptr, ec] = std::from_chars(begin, end, *value);
  return ec == std::errc() && ptr == end;
}

bool ParseSeconds(const Token& token, double* seconds) {
  if (token.quoted || token.text.empty()) return false;
  bool dot = false;
  bool digit = false;
  for (char c : token.text) {
    if (c == '.' && !dot) {
      dot = true;
    } else if (c >= '0' && c <= '9') {
      digit = true;
    } else {
      return false;
    }
  }
  if (!digit || token.text.size() > 20) return false;
  *seconds = std::strtod(token.text.c_str(), nullptr);
  return *seconds <= kMaxWaitSeconds;
}

bool ParseRef(const Token& token, ControlRef* ref) {
  if (token.quoted) return false;
  const size_t colon = token.text.find(':');
  Token id_part = token;
  if (colon != std::string::npos) {
    Token tmpl_part{token.text.substr(0, colon), false};
    id_part.text = token.text.substr(colon + 1);
    if (!ParseInt(tmpl_part, &ref->template_id) || ref->template_id <= 0) return false;
  } else {
    ref->template_id = 0;
  }
  return ParseInt(id_part, &ref->id) && ref->id >= 0;
}

ParseResult Fail(std::string message) {
  ParseResult r;
  r.error = std::move(message);
  return r;
}

}  // namespace

ParseResult ParseCommand(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::vector<Token> t;
  std::string error;
  if (!Tokenize(line, &t, &error)) return Fail(error);
  if (t.empty() || (!t[0].quoted && t[0].text[0] == '#')) return {};
  if (t[0].quoted) return Fail("a command starts with its name");

  Command c;
  c.source = std::string(line);
  const std::string& name = t[0].text;
  const size_t n = t.size();
  auto need_ref = [&](const char* usage) -> std::optional<std::string> {
    if (n < 2 || !ParseRef(t[1], &c.target)) return std::string("usage: ") + usage;
    return std::nullopt;
  };

  if (name == "wait") {
    if (n < 2) return Fail("usage: wait dialog TEMPLATE [SECONDS] | wait messagebox [SECONDS]");
    size_t next = 2;
    if (t[1].text == "dialog" && !t[1].quoted) {
      c.kind = CommandKind::kWaitDialog;
      if (n < 3 || !ParseInt(t[2], &c.number) || c.number <= 0) {
        return Fail("usage: wait dialog TEMPLATE [SECONDS]");
      }
      next = 3;
      // "or messagebox": a job that fails shows its message instead of the next dialog.
      if (n >= 5 && t[3].text == "or" && !t[3].quoted && t[4].text == "messagebox" &&
          !t[4].quoted) {
        c.or_messagebox = true;
        next = 5;
      }
    } else if (t[1].text == "messagebox" && !t[1].quoted) {
      c.kind = CommandKind::kWaitMessageBox;
    } else {
      return Fail("usage: wait dialog TEMPLATE [SECONDS] | wait messagebox [SECONDS]");
    }
    if (n > next + 1) return Fail("too many arguments to wait");
    if (n == next + 1 && !ParseSeconds(t[next], &c.seconds)) {
      return Fail("bad SECONDS (a number from 0 to 86400 expected)");
    }
  } else if (name == "click" || name == "sysmenu") {
    if (name == "click") {
      c.kind = CommandKind::kClick;
      if (auto e = need_ref("click ID")) return Fail(*e);
    } else {
      c.kind = CommandKind::kSysMenu;
      if (n < 2 || !ParseInt(t[1], &c.number)) return Fail("usage: sysmenu ID");
    }
    if (n != 2) return Fail("too many arguments to " + name);
  } else if (name == "select") {
    c.kind = CommandKind::kSelect;
    if (auto e = need_ref("select ID ROW | select ID \"TEXT\"")) return Fail(*e);
    if (n != 3) return Fail("usage: select ID ROW | select ID \"TEXT\"");
    if (t[2].quoted) {
      c.by_text = true;
      c.text = t[2].text;
    } else {
      int row = 0;
      if (!ParseInt(t[2], &row) || row < 0) return Fail("bad ROW (a row number from 0 expected)");
      c.rows.push_back(row);
    }
  } else if (name == "extend") {
    c.kind = CommandKind::kExtend;
    if (auto e = need_ref("extend ID ROW...")) return Fail(*e);
    if (n < 3) return Fail("usage: extend ID ROW...");
    for (size_t i = 2; i < n; ++i) {
      int row = 0;
      if (!ParseInt(t[i], &row) || row < 0) return Fail("bad ROW (a row number from 0 expected)");
      c.rows.push_back(row);
    }
  } else if (name == "type") {
    c.kind = CommandKind::kType;
    if (auto e = need_ref("type ID \"TEXT\"")) return Fail(*e);
    if (n != 3 || !t[2].quoted) return Fail("usage: type ID \"TEXT\" (the text in quotes)");
    c.text = t[2].text;
  } else if (name == "slide") {
    c.kind = CommandKind::kSlide;
    if (auto e = need_ref("slide ID POS")) return Fail(*e);
    if (n != 3 || !ParseInt(t[2], &c.number)) return Fail("usage: slide ID POS");
  } else if (name == "answer") {
    c.kind = CommandKind::kAnswer;
    if (n != 2 || t[1].quoted) return Fail("usage: answer OK|Cancel|Yes|No");
    if (platform::AsciiEqualNoCase(t[1].text, "ok")) {
      c.number = IDOK;
    } else if (platform::AsciiEqualNoCase(t[1].text, "cancel")) {
      c.number = IDCANCEL;
    } else if (platform::AsciiEqualNoCase(t[1].text, "yes")) {
      c.number = IDYES;
    } else if (platform::AsciiEqualNoCase(t[1].text, "no")) {
      c.number = IDNO;
    } else {
      return Fail("usage: answer OK|Cancel|Yes|No");
    }
  } else if (name == "files") {
    c.kind = CommandKind::kFiles;
    for (size_t i = 1; i < n; ++i) {
      if (!t[i].quoted || t[i].text.empty())
        return Fail("usage: files \"PATH\"... (paths in quotes)");
      c.paths.push_back(t[i].text);
    }
  } else if (name == "snapshot" || name == "close") {
    c.kind = name == "snapshot" ? CommandKind::kSnapshot : CommandKind::kClose;
    if (n != 1) return Fail(name + " takes no arguments");
  } else {
    return Fail("unknown command '" + name + "'");
  }
  ParseResult r;
  r.command = std::move(c);
  return r;
}

}  // namespace ui
