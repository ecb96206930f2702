// The command language and the JSON of the event lines.

#include <gtest/gtest.h>

#include "ui/core/command.h"
#include "ui/core/constants.h"
#include "ui/core/json.h"

namespace {

using ui::CommandKind;

struct Good {
  const char* line;
  CommandKind kind;
  int template_id;
  int id;
  int number;
  std::vector<int> rows;
  std::string text;
  std::vector<std::string> paths;
  double seconds;
};

TEST(CommandParse, GoodLines) {
  const double d = ui::kDefaultWaitSeconds;
  const Good cases[] = {
      {"wait dialog 102", CommandKind::kWaitDialog, 0, 0, 102, {}, "", {}, d},
      {"wait dialog 133 2.5", CommandKind::kWaitDialog, 0, 0, 133, {}, "", {}, 2.5},
      {"wait messagebox", CommandKind::kWaitMessageBox, 0, 0, 0, {}, "", {}, d},
      {"  wait messagebox 0 ", CommandKind::kWaitMessageBox, 0, 0, 0, {}, "", {}, 0},
      {"click 1000", CommandKind::kClick, 0, 1000, 0, {}, "", {}, d},
      {"click 141:1014\r", CommandKind::kClick, 141, 1014, 0, {}, "", {}, d},
      {"select 1006 3", CommandKind::kSelect, 0, 1006, 0, {3}, "", {}, d},
      {"select 1006 \"TCP/IP\"", CommandKind::kSelect, 0, 1006, 0, {}, "TCP/IP", {}, d},
      {"extend 1050 0 2 3", CommandKind::kExtend, 0, 1050, 0, {0, 2, 3}, "", {}, d},
      {"type 1100 \"91\"", CommandKind::kType, 0, 1100, 0, {}, "91", {}, d},
      {"type 1 \"\"", CommandKind::kType, 0, 1, 0, {}, "", {}, d},
      {R"(type 1 "a\"b\\c\n\x41")", CommandKind::kType, 0, 1, 0, {}, "a\"b\\c\nA", {}, d},
      {"slide 1060 -5", CommandKind::kSlide, 0, 1060, -5, {}, "", {}, d},
      {"answer OK", CommandKind::kAnswer, 0, 0, ui::IDOK, {}, "", {}, d},
      {"answer yes", CommandKind::kAnswer, 0, 0, ui::IDYES, {}, "", {}, d},
      {"answer No", CommandKind::kAnswer, 0, 0, ui::IDNO, {}, "", {}, d},
      {"answer Cancel", CommandKind::kAnswer, 0, 0, ui::IDCANCEL, {}, "", {}, d},
      {"files", CommandKind::kFiles, 0, 0, 0, {}, "", {}, d},
      {"files \"/tmp/a b.bmp\" \"c.bmp\"",
       CommandKind::kFiles,
       0,
       0,
       0,
       {},
       "",
       {"/tmp/a b.bmp", "c.bmp"},
       d},
      {"snapshot", CommandKind::kSnapshot, 0, 0, 0, {}, "", {}, d},
      {"close", CommandKind::kClose, 0, 0, 0, {}, "", {}, d},
      {"sysmenu 16", CommandKind::kSysMenu, 0, 0, 16, {}, "", {}, d},
  };
  for (const Good& g : cases) {
    const ui::ParseResult r = ui::ParseCommand(g.line);
    ASSERT_TRUE(r.error.empty()) << g.line << ": " << r.error;
    ASSERT_TRUE(r.command.has_value()) << g.line;
    const ui::Command& c = *r.command;
    EXPECT_EQ(c.kind, g.kind) << g.line;
    EXPECT_EQ(c.target, (ui::ControlRef{g.template_id, g.id})) << g.line;
    EXPECT_EQ(c.number, g.number) << g.line;
    EXPECT_EQ(c.rows, g.rows) << g.line;
    EXPECT_EQ(c.text, g.text) << g.line;
    EXPECT_EQ(c.paths, g.paths) << g.line;
    EXPECT_DOUBLE_EQ(c.seconds, g.seconds) << g.line;
  }
}

TEST(CommandParse, BlankAndCommentLinesAreNoCommands) {
  for (const char* line : {"", "   ", "\t", "# a comment", "  # indented"}) {
    const ui::ParseResult r = ui::ParseCommand(line);
    EXPECT_TRUE(r.error.empty()) << line;
    EXPECT_FALSE(r.command.has_value()) << line;
  }
}

TEST(CommandParse, BadLinesSayWhy) {
  const std::pair<const char*, const char*> cases[] = {
      {"clik 1", "unknown command 'clik'"},
      {"click", "usage: click ID"},
      {"click x", "usage: click ID"},
      {"click 1 2", "too many arguments to click"},
      {"click -3", "usage: click ID"},
      {"click :5", "usage: click ID"},
      {"click 0:5", "usage: click ID"},
      {"click 99999999999", "usage: click ID"},
      {"select 5", "usage: select ID ROW | select ID \"TEXT\""},
      {"select 5 -1", "bad ROW (a row number from 0 expected)"},
      {"extend 5", "usage: extend ID ROW..."},
      {"extend 5 1 x", "bad ROW (a row number from 0 expected)"},
      {"type 5 abc", "usage: type ID \"TEXT\" (the text in quotes)"},
      {"type 5 \"abc", "unterminated quoted text"},
      {"type 5 \"a\\q\"", "unknown escape \\q"},
      {"type 5 \"\\x4\"", "bad \\x escape (two hexadecimal digits expected)"},
      {"type 5 \"a\"b", "quoted text must be followed by a blank"},
      {"type 5 a\"b\"", "stray quote"},
      {"slide 5", "usage: slide ID POS"},
      {"answer Maybe", "usage: answer OK|Cancel|Yes|No"},
      {"answer", "usage: answer OK|Cancel|Yes|No"},
      {"files /tmp/x.bmp", "usage: files \"PATH\"... (paths in quotes)"},
      {"files \"\"", "usage: files \"PATH\"... (paths in quotes)"},
      {"wait", "usage: wait dialog TEMPLATE [SECONDS] | wait messagebox [SECONDS]"},
      {"wait dialog", "usage: wait dialog TEMPLATE [SECONDS]"},
      {"wait dialog 102 -1", "bad SECONDS (a number from 0 to 86400 expected)"},
      {"wait dialog 102 1e3", "bad SECONDS (a number from 0 to 86400 expected)"},
      {"wait dialog 102 90000", "bad SECONDS (a number from 0 to 86400 expected)"},
      {"wait messagebox 1 2", "too many arguments to wait"},
      {"snapshot now", "snapshot takes no arguments"},
      {"\"click\" 1", "a command starts with its name"},
  };
  for (const auto& [line, error] : cases) {
    const ui::ParseResult r = ui::ParseCommand(line);
    EXPECT_FALSE(r.command.has_value()) << line;
    EXPECT_EQ(r.error, error) << line;
  }
}

// What JSON requires escaped is escaped, valid UTF-8 passes unchanged, and a byte outside valid
// UTF-8 becomes the character of its Latin-1 reading, in nested values too: a line is always
// written and always valid JSON.
TEST(Json, EventLinesEscapeTextsAndTakeStrayBytesAsLatin1) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "\"plain\""},
      {"a\"b\\c", R"("a\"b\\c")"},
      {"\r\n\t\b\f", R"("\r\n\t\b\f")"},
      {std::string("\x01\x1f", 2), R"("\u0001\u001f")"},
      {std::string("nul\0x", 5), R"("nul\u0000x")"},
      {"Größe €", "\"Größe €\""},
      {"\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},
      {"bad\xFFz", "\"bad\xC3\xBFz\""},                  // stray byte: U+00FF
      {"\xC3", "\"\xC3\x83\""},                          // truncated sequence
      {"\xC0\xAF", "\"\xC3\x80\xC2\xAF\""},              // overlong form
      {"\xED\xA0\x80", "\"\xC3\xAD\xC2\xA0\xC2\x80\""},  // surrogate
      {"/", "\"/\""},
  };
  for (const auto& [in, out] : cases) {
    ui::Json fields;
    fields["text"] = in;
    fields["rows"] = ui::Json::array({ui::Json::array({in})});
    EXPECT_EQ(ui::EventLine(fields, 0),
              "{\"text\":" + out + ",\"rows\":[[" + out + "]],\"t\":0.000}");
  }
}

// Fields keep the order they were given in; "t" comes last, in seconds with three decimals.
TEST(Json, EventLinesKeepFieldOrderAndEndWithSeconds) {
  ui::Json o;
  o["event"] = "closed";
  o["template"] = 133;
  o["result"] = 1;
  o["ok"] = true;
  o["rows"] = std::vector<int>{};
  o["names"] = std::vector<std::string>{"a", "\"b\""};
  EXPECT_EQ(ui::EventLine(o, 12345), R"({"event":"closed","template":133,"result":1,"ok":true,)"
                                     R"("rows":[],"names":["a","\"b\""],"t":12.345})");
  EXPECT_EQ(ui::EventLine(ui::Json(), 7), R"({"t":0.007})");
  ui::Json one;
  one["event"] = "snapshot";
  EXPECT_EQ(ui::EventLine(one, 1250), R"({"event":"snapshot","t":1.250})");
  EXPECT_EQ(ui::EventLine(one, 86400000), R"({"event":"snapshot","t":86400.000})");
}

}  // namespace
