#include "platform/resource_script.h"

#include <strings.h>

#include <optional>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/resource_script_lexer.h"
#include "platform/resource_symbols.h"

namespace platform {
namespace {

bool Is(const Token& t, std::string_view word) {
  return t.kind == TokenKind::kName && t.text.size() == word.size() &&
         ::strncasecmp(t.text.data(), word.data(), word.size()) == 0;
}
bool IsPunct(const Token& t, char c) { return t.kind == TokenKind::kPunct && t.text.size() == 1 && t.text[0] == c; }

struct ParseError {
  int line;
  std::string message;
};

// A style expression: names and numbers joined by '|'; "NOT x" takes x away from
// the defaults and from what came before it.
struct Style {
  DWORD set = 0;
  DWORD cleared = 0;
  DWORD Apply(DWORD defaults) const { return (defaults | set) & ~cleared; }
};

// What each control statement makes: its class, default style and whether it
// carries a text.
struct ControlKind {
  std::string_view keyword;
  const char* class_name;
  DWORD style;
  bool has_text;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
const ControlKind kControlKinds[] = {
    {"PUSHBUTTON", WC_BUTTONA, BS_PUSHBUTTON | WS_TABSTOP, true},
    {"DEFPUSHBUTTON", WC_BUTTONA, BS_DEFPUSHBUTTON | WS_TABSTOP, true},
    {"CHECKBOX", WC_BUTTONA, BS_CHECKBOX | WS_TABSTOP, true},
    {"AUTOCHECKBOX", WC_BUTTONA, BS_AUTOCHECKBOX | WS_TABSTOP, true},
    {"RADIOBUTTON", WC_BUTTONA, BS_RADIOBUTTON | WS_TABSTOP, true},
    {"AUTORADIOBUTTON", WC_BUTTONA, BS_AUTORADIOBUTTON | WS_TABSTOP, true},
    {"GROUPBOX", WC_BUTTONA, BS_GROUPBOX, true},
    {"LTEXT", WC_STATICA, SS_LEFT | WS_GROUP, true},
    {"CTEXT", WC_STATICA, SS_CENTER | WS_GROUP, true},
    {"RTEXT", WC_STATICA, SS_RIGHT | WS_GROUP, true},
    {"EDITTEXT", WC_EDITA, ES_LEFT | WS_BORDER | WS_TABSTOP, false},
    {"COMBOBOX", WC_COMBOBOXA, CBS_SIMPLE | WS_TABSTOP, false},
    {"SCROLLBAR", WC_SCROLLBARA, SBS_HORZ, false},
};

// Class names a CONTROL statement may give without quotes.
const char* const kBareClassNames[] = {WC_BUTTONA, WC_EDITA, WC_STATICA, WC_COMBOBOXA, WC_SCROLLBARA};

// Options of a resource header that change nothing here.
constexpr std::string_view kMemoryOptions[] = {"DISCARDABLE", "MOVEABLE",   "FIXED",  "PURE",     "IMPURE",
                                               "PRELOAD",     "LOADONCALL", "SHARED", "NONSHARED"};

class Parser {
 public:
  explicit Parser(std::string_view text) : lexer_(text) { Advance(); }

  ResourceScript Script() {
    ResourceScript script;
    while (tok_.kind != TokenKind::kEnd) {
      if (Is(tok_, "LANGUAGE")) {
        Advance();
        language_ = Language();
      } else if (Is(tok_, "STRINGTABLE")) {
        Advance();
        StringTableBody(script);
      } else {
        int line = tok_.line;
        int id = static_cast<int>(Value("a resource id"));
        if (Is(tok_, "DIALOG") || Is(tok_, "DIALOGEX")) {
          bool extended = Is(tok_, "DIALOGEX");
          Advance();
          DialogTemplate dialog = Dialog(id, extended);
          for (const DialogTemplate& d : script.dialogs)
            if (d.id == dialog.id && d.language == dialog.language) throw ParseError{line, "duplicate dialog"};
          script.dialogs.push_back(std::move(dialog));
        } else {
          Fail("expected DIALOG, DIALOGEX, STRINGTABLE or LANGUAGE");
        }
      }
    }
    return script;
  }

 private:
  void Advance() {
    tok_ = lexer_.Next();
    if (tok_.kind == TokenKind::kError) Fail(tok_.text);
  }
  [[noreturn]] void Fail(const std::string& message) const { throw ParseError{tok_.line, message}; }

  void ExpectPunct(char c) {
    if (!IsPunct(tok_, c)) Fail(std::string("expected '") + c + "'");
    Advance();
  }
  void Comma() { ExpectPunct(','); }
  bool OptionalComma() {
    if (!IsPunct(tok_, ',')) return false;
    Advance();
    return true;
  }

  std::string String(const char* what) {
    if (tok_.kind != TokenKind::kString) Fail(std::string("expected ") + what);
    std::string s = std::move(tok_.text);
    Advance();
    return s;
  }

  // A number, a known name or a negated number.
  DWORD Value(const char* what) {
    if (IsPunct(tok_, '-') || IsPunct(tok_, '(')) {
      if (++depth_ > kMaxDepth) Fail("expression nested too deeply");
      bool negate = IsPunct(tok_, '-');
      Advance();
      DWORD v = Value(what);
      if (!negate) ExpectPunct(')');
      --depth_;
      return negate ? 0u - v : v;
    }
    if (tok_.kind == TokenKind::kNumber) {
      DWORD v = tok_.value;
      Advance();
      return v;
    }
    if (tok_.kind == TokenKind::kName) {
      if (auto v = LookupResourceSymbol(tok_.text)) {
        Advance();
        return *v;
      }
      Fail("unknown name '" + tok_.text + "'");
    }
    Fail(std::string("expected ") + what);
  }

  int Int(const char* what) { return static_cast<int>(static_cast<std::int32_t>(Value(what))); }

  Style StyleExpression() {
    Style style;
    do {
      if (Is(tok_, "NOT")) {
        Advance();
        DWORD v = Value("a style");
        style.cleared |= v;
        style.set &= ~v;
      } else {
        DWORD v = Value("a style");
        style.set |= v;
        style.cleared &= ~v;
      }
      if (!IsPunct(tok_, '|')) return style;
      Advance();
    } while (true);
  }

  LANGID Language() {
    DWORD primary = Value("a language");
    Comma();
    DWORD sub = Value("a sublanguage");
    if (primary > 0x3FF || sub > 0x3F) Fail("language out of range");
    return MAKELANGID(static_cast<WORD>(primary), static_cast<WORD>(sub));
  }

  bool Begin() {
    if (Is(tok_, "BEGIN") || IsPunct(tok_, '{')) {
      Advance();
      return true;
    }
    return false;
  }
  bool End() {
    if (Is(tok_, "END") || IsPunct(tok_, '}')) {
      Advance();
      return true;
    }
    if (tok_.kind == TokenKind::kEnd) Fail("missing END");
    return false;
  }
  bool MemoryOption() {
    for (std::string_view option : kMemoryOptions)
      if (Is(tok_, option)) {
        Advance();
        return true;
      }
    return false;
  }

  void StringTableBody(ResourceScript& script) {
    LANGID language = language_;
    while (!Begin()) {
      if (Is(tok_, "LANGUAGE")) {
        Advance();
        language = Language();
      } else if (!MemoryOption()) {
        Fail("expected BEGIN");
      }
    }
    StringTable* table = nullptr;
    for (StringTable& t : script.string_tables)
      if (t.language == language) table = &t;
    if (!table) table = &script.string_tables.emplace_back(StringTable{language, {}});
    while (!End()) {
      int line = tok_.line;
      DWORD id = Value("a string id");
      if (id > 0xFFFF) throw ParseError{line, "string id out of range"};
      OptionalComma();
      std::string text = String("a string");
      if (!table->strings.emplace(id, std::move(text)).second) throw ParseError{line, "duplicate string id"};
    }
  }

  DialogTemplate Dialog(int id, bool extended) {
    DialogTemplate d;
    d.id = id;
    d.language = language_;
    while (MemoryOption()) {
    }
    d.x = Int("x");
    Comma();
    d.y = Int("y");
    Comma();
    d.cx = Int("width");
    Comma();
    d.cy = Int("height");
    if (extended && OptionalComma()) Value("a help id");

    std::optional<Style> style;
    bool hasCaption = false;
    while (!Begin()) {
      if (Is(tok_, "STYLE")) {
        Advance();
        style = StyleExpression();
      } else if (Is(tok_, "EXSTYLE")) {
        Advance();
        d.ex_style = StyleExpression().Apply(0);
      } else if (Is(tok_, "CAPTION")) {
        Advance();
        d.caption = String("a caption");
        hasCaption = true;
      } else if (Is(tok_, "FONT")) {
        Advance();
        d.font_size = Int("a point size");
        Comma();
        d.font = String("a font name");
        // Weight, italic and character set of the extended form.
        for (int i = 0; i < 3 && OptionalComma(); ++i) Value("a font attribute");
      } else if (Is(tok_, "LANGUAGE")) {
        Advance();
        d.language = Language();
      } else {
        Fail("expected a dialog option or BEGIN");
      }
    }
    d.style = style ? style->Apply(0) : WS_POPUP | WS_BORDER | WS_SYSMENU;
    if (hasCaption) d.style |= WS_CAPTION;
    if (d.font_size) d.style |= DS_SETFONT;
    while (!End()) d.items.push_back(Control(extended));
    return d;
  }

  // The optional tail "[, style [, exstyle [, helpid]]]" of a control statement.
  void StyleTail(DialogItem& item, DWORD defaults, bool extended) {
    Style style;
    if (OptionalComma()) {
      style = StyleExpression();
      if (OptionalComma()) {
        item.ex_style = StyleExpression().Apply(0);
        if (extended && OptionalComma()) Value("a help id");
      }
    }
    item.style = style.Apply(defaults | kChild);
  }

  void Rectangle(DialogItem& item) {
    item.x = Int("x");
    Comma();
    item.y = Int("y");
    Comma();
    item.cx = Int("width");
    Comma();
    item.cy = Int("height");
  }

  DialogItem Control(bool extended) {
    DialogItem item;
    if (Is(tok_, "CONTROL")) {
      Advance();
      item.text = String("the control's text");
      Comma();
      item.id = Int("a control id");
      Comma();
      item.class_name = ClassName();
      Comma();
      Style style = StyleExpression();
      Comma();
      Rectangle(item);
      item.style = style.Apply(kChild);
      if (OptionalComma()) {
        item.ex_style = StyleExpression().Apply(0);
        if (extended && OptionalComma()) Value("a help id");
      }
      return item;
    }
    for (const ControlKind& kind : kControlKinds) {
      if (!Is(tok_, kind.keyword)) continue;
      Advance();
      item.class_name = kind.class_name;
      if (kind.has_text) {
        item.text = String("the control's text");
        Comma();
      }
      item.id = Int("a control id");
      Comma();
      Rectangle(item);
      StyleTail(item, kind.style, extended);
      return item;
    }
    Fail("expected a control statement or END");
  }

  std::string ClassName() {
    if (tok_.kind == TokenKind::kString) return String("a class name");
    for (const char* name : kBareClassNames)
      if (Is(tok_, name)) {
        Advance();
        return name;
      }
    Fail("expected a class name");
  }

  static constexpr int kMaxDepth = 16;

  ResourceScriptLexer lexer_;
  Token tok_;
  int depth_ = 0;
  LANGID language_ = kLanguageEnglish;
};

}  // namespace

ResourceScriptResult ParseResourceScript(std::string_view text) {
  ResourceScriptResult result;
  try {
    Parser parser(text);
    result.script = parser.Script();
    result.ok = true;
  } catch (const ParseError& e) {
    result.error_line = e.line;
    result.error = e.message;
  }
  return result;
}

}  // namespace platform
