#include "forms/formdesc.h"

#include <cctype>
#include <climits>

#include "forms/forms.h"
#include "platform/codec.h"

namespace velmora::forms {

FormDescError::FormDescError(int l, const std::string& what)
    : std::runtime_error("line " + std::to_string(l) + ": " + what), line(l) {}

const Property* ObjectDesc::Find(const std::string& propertyName) const {
    for (const Property& p : properties)
        if (p.name == propertyName) return &p;
    return nullptr;
}

// ---------------------------------------------------------------------------
// Parsing

namespace {

constexpr int kMaxDepth = 32;

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

class Parser {
public:
    Parser(const std::string& text, const std::function<std::string(const std::string&)>& toCp932)
        : text_(text), toCp932_(toCp932) {}

    ObjectDesc Run() {
        ObjectDesc root;
        bool haveRoot = false;
        std::vector<ObjectDesc*> stack;
        while (NextLine()) {
            std::size_t p = 0;
            std::string word = Ident(p);
            if (word == "object") {
                if (stack.size() >= kMaxDepth) throw FormDescError(line_, "objects nested too deeply");
                SkipBlanks(p);
                std::string name = Ident(p);
                SkipBlanks(p);
                if (name.empty() || p >= cur_.size() || cur_[p] != ':')
                    throw FormDescError(line_, "expected 'object Name: Class'");
                ++p;
                SkipBlanks(p);
                std::string cls = Ident(p);
                SkipBlanks(p);
                if (cls.empty() || p != cur_.size()) throw FormDescError(line_, "expected 'object Name: Class'");
                ObjectDesc* obj = nullptr;
                if (stack.empty()) {
                    if (haveRoot) throw FormDescError(line_, "a second root object");
                    haveRoot = true;
                    obj = &root;
                } else {
                    stack.back()->children.emplace_back();
                    obj = &stack.back()->children.back();
                }
                obj->name = name;
                obj->className = cls;
                obj->line = line_;
                stack.push_back(obj);
            } else if (word == "end" && SkipBlanks(p) == cur_.size()) {
                if (stack.empty()) throw FormDescError(line_, "'end' without an object");
                stack.pop_back();
            } else {
                if (stack.empty()) throw FormDescError(line_, "property outside an object");
                SkipBlanks(p);
                if (word.empty() || p >= cur_.size() || cur_[p] != '=')
                    throw FormDescError(line_, "expected 'Name = value'");
                ++p;
                Property prop;
                prop.name = word;
                prop.line = line_;
                prop.value = ParseValue(p);
                SkipBlanks(p);
                if (p != cur_.size()) throw FormDescError(line_, "unexpected text after the value");
                stack.back()->properties.push_back(std::move(prop));
            }
        }
        if (!stack.empty()) throw FormDescError(line_, "missing 'end'");
        if (!haveRoot) throw FormDescError(line_, "no object");
        return root;
    }

private:
    // Moves to the next line that is neither blank nor a comment; the line
    // is kept trimmed in cur_.
    bool NextLine() {
        while (pos_ < text_.size()) {
            std::size_t eol = text_.find('\n', pos_);
            if (eol == std::string::npos) eol = text_.size();
            cur_ = text_.substr(pos_, eol - pos_);
            pos_ = eol + 1;
            ++line_;
            Trim(cur_);
            if (cur_.empty() || cur_.compare(0, 2, "//") == 0) continue;
            return true;
        }
        return false;
    }

    static void Trim(std::string& s) {
        std::size_t b = 0;
        while (b < s.size() && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
        std::size_t e = s.size();
        while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
        s = s.substr(b, e - b);
    }

    std::size_t SkipBlanks(std::size_t& p) {
        while (p < cur_.size() && (cur_[p] == ' ' || cur_[p] == '\t')) ++p;
        return p;
    }

    std::string Ident(std::size_t& p) {
        std::size_t b = p;
        if (p < cur_.size() && IsIdentStart(cur_[p])) {
            ++p;
            while (p < cur_.size() && IsIdentChar(cur_[p])) ++p;
        }
        return cur_.substr(b, p - b);
    }

    // 'quoted' pieces and #nn character codes, directly adjacent.
    std::string StringValue(std::size_t& p) {
        std::string utf8;
        bool any = false;
        while (p < cur_.size() && (cur_[p] == '\'' || cur_[p] == '#')) {
            any = true;
            if (cur_[p] == '#') {
                ++p;
                int code = 0, digits = 0;
                while (p < cur_.size() && std::isdigit(static_cast<unsigned char>(cur_[p])) && digits < 4) {
                    code = code * 10 + (cur_[p] - '0');
                    ++p;
                    ++digits;
                }
                if (digits == 0 || code > 127) throw FormDescError(line_, "bad character code");
                utf8.push_back(static_cast<char>(code));
                continue;
            }
            ++p;
            for (;;) {
                if (p >= cur_.size()) throw FormDescError(line_, "unterminated string");
                if (cur_[p] == '\'') {
                    if (p + 1 < cur_.size() && cur_[p + 1] == '\'') {
                        utf8.push_back('\'');
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                utf8.push_back(cur_[p++]);
            }
        }
        if (!any) throw FormDescError(line_, "expected a string");
        return toCp932_ ? toCp932_(utf8) : utf8;
    }

    Value ParseValue(std::size_t& p) {
        SkipBlanks(p);
        Value v;
        if (p >= cur_.size()) throw FormDescError(line_, "missing value");
        char c = cur_[p];
        if (c == '\'' || c == '#') {
            v.type = Value::Type::String;
            v.text = StringValue(p);
        } else if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
            v.type = Value::Type::Integer;
            bool negative = c == '-';
            if (negative) ++p;
            if (p >= cur_.size() || !std::isdigit(static_cast<unsigned char>(cur_[p])))
                throw FormDescError(line_, "bad number");
            std::int64_t n = 0;
            while (p < cur_.size() && std::isdigit(static_cast<unsigned char>(cur_[p]))) {
                n = n * 10 + (cur_[p] - '0');
                if (n > INT_MAX) throw FormDescError(line_, "number out of range");
                ++p;
            }
            v.integer = negative ? -n : n;
        } else if (c == '[') {
            v.type = Value::Type::Set;
            ++p;
            for (;;) {
                SkipBlanks(p);
                if (p < cur_.size() && cur_[p] == ']') {
                    ++p;
                    break;
                }
                if (!v.items.empty()) {
                    if (p >= cur_.size() || cur_[p] != ',') throw FormDescError(line_, "expected ',' in set");
                    ++p;
                    SkipBlanks(p);
                }
                std::string id = Ident(p);
                if (id.empty()) throw FormDescError(line_, "bad set");
                v.items.push_back(id);
            }
        } else if (c == '(') {
            v.type = Value::Type::List;
            ++p;
            for (;;) {
                SkipBlanks(p);
                if (p >= cur_.size()) {
                    // A list may go on over several lines.
                    if (!NextLine()) throw FormDescError(line_, "unterminated list");
                    p = 0;
                    continue;
                }
                if (cur_[p] == ')') {
                    ++p;
                    break;
                }
                v.items.push_back(StringValue(p));
                if (v.items.size() > 4096) throw FormDescError(line_, "list too long");
            }
        } else if (IsIdentStart(c)) {
            v.type = Value::Type::Ident;
            v.text = Ident(p);
        } else {
            throw FormDescError(line_, "bad value");
        }
        return v;
    }

    const std::string& text_;
    const std::function<std::string(const std::string&)>& toCp932_;
    std::size_t pos_ = 0;
    int line_ = 0;
    std::string cur_;
};

}  // namespace

ObjectDesc ParseFormDesc(const std::string& utf8Text, const std::function<std::string(const std::string&)>& toCp932) {
    return Parser(utf8Text, toCp932).Run();
}

// ---------------------------------------------------------------------------
// Applying

namespace {

struct Applier {
    Form& form;

    [[noreturn]] void Fail(const Property& p, const std::string& what) {
        throw FormDescError(p.line, p.name + ": " + what);
    }

    // Every number of a layout lives in the 16-bit coordinate range of
    // windows; holding them there also keeps the sums of the docking layout
    // (Form::Resize) from overflowing.
    int Int(const Property& p) {
        if (p.value.type != Value::Type::Integer) Fail(p, "expected a number");
        if (p.value.integer < -32768 || p.value.integer > 32767) Fail(p, "number out of range");
        return static_cast<int>(p.value.integer);
    }
    const std::string& Str(const Property& p) {
        if (p.value.type != Value::Type::String) Fail(p, "expected a string");
        return p.value.text;
    }
    const std::string& Id(const Property& p) {
        if (p.value.type != Value::Type::Ident) Fail(p, "expected an identifier");
        return p.value.text;
    }
    bool Bool(const Property& p) {
        const std::string& id = Id(p);
        if (id == "True") return true;
        if (id == "False") return false;
        Fail(p, "expected True or False");
    }

    bool FontProperty(Control& c, const Property& p) {
        if (p.name.compare(0, 5, "Font.") != 0) return false;
        if (c.parentFont) {
            c.parentFont = false;
            if (c.Parent()) c.font = c.Parent()->font;
        }
        const std::string key = p.name.substr(5);
        if (key == "Name") c.font.name = Str(p);
        else if (key == "Height") c.font.height = Int(p);
        else if (key == "Charset") {
            if (p.value.type == Value::Type::Integer) c.font.charset = Int(p);
            else if (Id(p) == "SHIFTJIS_CHARSET") c.font.charset = 128;
            else if (Id(p) == "DEFAULT_CHARSET") c.font.charset = 1;
            else if (Id(p) == "ANSI_CHARSET") c.font.charset = 0;
            else Fail(p, "unknown character set");
        } else if (key == "Style") {
            if (p.value.type != Value::Type::Set) Fail(p, "expected a set");
            c.font.bold = false;
            for (const std::string& s : p.value.items) {
                if (s == "fsBold") c.font.bold = true;
                else Fail(p, "unknown font style " + s);
            }
        } else if (key == "Color") {
            Id(p);  // clWindowText, clBlack: the only colours used
        } else {
            Fail(p, "unknown font property");
        }
        return true;
    }

    void NotifyHandler(const Property& p, NotifyEvent& slot) {
        auto h = form.notifyHandlers.find(Id(p));
        if (h == form.notifyHandlers.end()) Fail(p, "unknown handler " + p.value.text);
        slot = h->second;
    }

    bool EventProperty(Control& c, const Property& p) {
        if (p.name == "OnClick") NotifyHandler(p, c.OnClick);
        else if (p.name == "OnDblClick") NotifyHandler(p, c.OnDblClick);
        else if (p.name == "OnChange") NotifyHandler(p, c.OnChange);
        else if (p.name == "OnEnter") NotifyHandler(p, c.OnEnter);
        else if (p.name == "OnExit") NotifyHandler(p, c.OnExit);
        else if (p.name == "OnKeyDown") {
            auto h = form.keyHandlers.find(Id(p));
            if (h == form.keyHandlers.end()) Fail(p, "unknown handler " + p.value.text);
            c.OnKeyDown = h->second;
        } else if (p.name == "OnKeyPress") {
            auto h = form.keyPressHandlers.find(Id(p));
            if (h == form.keyPressHandlers.end()) Fail(p, "unknown handler " + p.value.text);
            c.OnKeyPress = h->second;
        } else {
            return false;
        }
        return true;
    }

    void FormProperty(const Property& p) {
        if (FontProperty(form, p) || EventProperty(form, p)) return;
        const std::string& n = p.name;
        if (n == "Caption") form.SetText(Str(p));
        else if (n == "ClientWidth") form.clientWidth = Int(p);
        else if (n == "ClientHeight") form.clientHeight = Int(p);
        else if (n == "Left") form.left = Int(p);
        else if (n == "Top") form.top = Int(p);
        else if (n == "Width") form.width = Int(p);
        else if (n == "Height") form.height = Int(p);
        else if (n == "BorderStyle") {
            const std::string& v = Id(p);
            if (v == "bsSizeable") form.borderStyle = BorderStyle::Sizeable;
            else if (v == "bsDialog") form.borderStyle = BorderStyle::Dialog;
            else if (v == "bsToolWindow") form.borderStyle = BorderStyle::ToolWindow;
            else if (v == "bsNone") form.borderStyle = BorderStyle::None;
            else Fail(p, "unknown border style");
        } else if (n == "BorderIcons") {
            if (p.value.type != Value::Type::Set) Fail(p, "expected a set");
            form.systemMenu = form.minimizeBox = form.maximizeBox = false;
            for (const std::string& s : p.value.items) {
                if (s == "biSystemMenu") form.systemMenu = true;
                else if (s == "biMinimize") form.minimizeBox = true;
                else if (s == "biMaximize") form.maximizeBox = true;
                else Fail(p, "unknown border icon " + s);
            }
        } else if (n == "FormStyle") {
            const std::string& v = Id(p);
            if (v == "fsStayOnTop") form.stayOnTop = true;
            else if (v == "fsNormal") form.stayOnTop = false;
            else Fail(p, "unknown form style");
        } else if (n == "Position") {
            const std::string& v = Id(p);
            form.screenCenter = v == "poScreenCenter";
            if (v != "poScreenCenter" && v != "poDesigned" && v != "poDefaultPosOnly" && v != "poDefault")
                Fail(p, "unknown position");
        } else if (n == "KeyPreview") form.keyPreview = Bool(p);
        else if (n == "ShowHint") form.showHint = Bool(p);
        else if (n == "ActiveControl") form.activeControlName = Id(p);
        else if (n == "Icon") form.iconResource = Str(p);
        else if (n == "OnCreate") NotifyHandler(p, form.OnCreate);
        else if (n == "OnShow") NotifyHandler(p, form.OnShow);
        else if (n == "OnDestroy") NotifyHandler(p, form.OnDestroy);
        else if (n == "OnClose") {
            auto h = form.closeHandlers.find(Id(p));
            if (h == form.closeHandlers.end()) Fail(p, "unknown handler " + p.value.text);
            form.OnClose = h->second;
        } else if (n == "OnCloseQuery") {
            auto h = form.closeQueryHandlers.find(Id(p));
            if (h == form.closeQueryHandlers.end()) Fail(p, "unknown handler " + p.value.text);
            form.OnCloseQuery = h->second;
        } else if (n == "PixelsPerInch" || n == "TextHeight") {
            Int(p);  // design-time facts; the layout is in pixels and never scaled
        } else if (n == "Scaled") {
            if (Bool(p)) Fail(p, "forms are never scaled");
        } else {
            Fail(p, "unknown form property");
        }
    }

    void ControlProperty(Control& c, const Property& p) {
        if (FontProperty(c, p) || EventProperty(c, p)) return;
        const std::string& n = p.name;
        if (n == "Left") c.left = Int(p);
        else if (n == "Top") c.top = Int(p);
        else if (n == "Width") c.width = Int(p);
        else if (n == "Height") c.height = Int(p);
        else if (n == "Caption" || n == "Text") c.SetTextSilently(Str(p));
        else if (n == "Hint") c.hint = Str(p);
        else if (n == "TabOrder") {
            c.tabOrder = Int(p);
            c.tabStop = true;
        } else if (n == "TabStop") c.tabStop = Bool(p);
        else if (n == "Align") {
            const std::string& v = Id(p);
            if (v == "alNone") c.align = Align::None;
            else if (v == "alTop") c.align = Align::Top;
            else if (v == "alBottom") c.align = Align::Bottom;
            else if (v == "alLeft") c.align = Align::Left;
            else if (v == "alRight") c.align = Align::Right;
            else if (v == "alClient") c.align = Align::Client;
            else Fail(p, "unknown alignment");
        } else if (n == "ParentFont") {
            c.parentFont = Bool(p);
            if (c.parentFont && c.Parent()) c.font = c.Parent()->font;
        } else if (n == "Alignment") {
            const std::string& v = Id(p);
            if (v == "taLeftJustify") c.alignment = TextAlign::Left;
            else if (v == "taCenter") c.alignment = TextAlign::Center;
            else if (v == "taRightJustify") c.alignment = TextAlign::Right;
            else Fail(p, "unknown text alignment");
        } else if (n == "Layout") {
            const std::string& v = Id(p);
            if (v != "tlTop" && v != "tlCenter" && v != "tlBottom") Fail(p, "unknown layout");
            c.verticalCenter = v == "tlCenter";
        } else if (n == "WordWrap") c.wordWrap = Bool(p);
        else if (n == "Default") c.SetDefault(Bool(p));
        else if (n == "Cancel") c.SetCancel(Bool(p));
        else if (n == "ModalResult") {
            if (p.value.type == Value::Type::Integer) c.modalResult = Int(p);
            else if (Id(p) == "mrOk") c.modalResult = mrOk;
            else if (Id(p) == "mrCancel") c.modalResult = mrCancel;
            else if (Id(p) == "mrNone") c.modalResult = mrNone;
            else Fail(p, "unknown modal result");
        } else if (n == "Visible") c.SetVisible(Bool(p));
        else if (n == "Enabled") c.SetEnabled(Bool(p));
        else if (n == "ItemHeight") c.itemHeight = Int(p);
        else if (n == "Items") {
            if (p.value.type != Value::Type::List) Fail(p, "expected a list of strings");
            c.SetItems(p.value.items);
        } else if (n == "ItemIndex") c.SetItemIndex(Int(p));
        else if (n == "Columns") c.columns = Int(p);
        else if (n == "Checked") c.SetCheckedSilently(Bool(p));
        else if (n == "AllowAllUp") c.allowAllUp = Bool(p);
        else if (n == "GroupIndex") Int(p);
        else if (n == "Down") c.SetDown(Bool(p));
        else if (n == "Flat") c.flat = Bool(p);
        else if (n == "Cursor") {
            const std::string& v = Id(p);
            if (v == "crHandPoint") c.handCursor = true;
            else if (v != "crDefault") Fail(p, "unknown cursor");
        } else if (n == "Shape") {
            const std::string& v = Id(p);
            if (v != "bsBox" && v != "bsFrame") Fail(p, "unknown bevel shape");
        } else if (n == "Style") {
            const std::string& v = Id(p);
            if (v == "bsLowered") c.lowered = true;
            else if (v == "bsRaised") c.lowered = false;
            else if (v != "csDropDown") Fail(p, "unknown style");
        } else if (n == "BevelOuter" || n == "BevelInner") {
            const std::string& v = Id(p);
            if (v != "bvNone" && v != "bvLowered" && v != "bvRaised") Fail(p, "unknown bevel");
        } else if (n == "AutoSize" || n == "ParentShowHint" || n == "ShowHint" || n == "Transparent" || n == "Sorted") {
            Bool(p);  // read and checked, then ignored (labels keep their stored size)
        } else {
            Fail(p, "unknown property");
        }
    }

    static bool KindOfClass(const std::string& cls, ControlKind& kind) {
        static const struct {
            const char* name;
            ControlKind kind;
        } kClasses[] = {
            {"TPanel", ControlKind::Panel},       {"TLabel", ControlKind::Label},
            {"TButton", ControlKind::Button},     {"TSpeedButton", ControlKind::SpeedButton},
            {"TCheckBox", ControlKind::CheckBox}, {"TEdit", ControlKind::Edit},
            {"TComboBox", ControlKind::ComboBox}, {"TListBox", ControlKind::ListBox},
            {"TBevel", ControlKind::Bevel},       {"TRadioGroup", ControlKind::RadioGroup},
        };
        for (const auto& k : kClasses)
            if (cls == k.name) {
                kind = k.kind;
                return true;
            }
        return false;
    }

    void Children(Control& parent, const ObjectDesc& desc) {
        for (const ObjectDesc& child : desc.children) {
            ControlKind kind{};
            if (!KindOfClass(child.className, kind)) {
                if (&parent == &form && form.LoadComponent(child)) continue;
                throw FormDescError(child.line, "unknown component class " + child.className);
            }
            if (form.Find(child.name)) throw FormDescError(child.line, "duplicate name " + child.name);
            auto control = std::make_unique<Control>(kind, child.name);
            control->SetClassName(child.className);
            Control& c = parent.AddChild(std::move(control));
            for (const Property& p : child.properties) ControlProperty(c, p);
            Children(c, child);
        }
    }
};

}  // namespace

void ApplyFormDesc(Form& form, const ObjectDesc& desc) {
    Applier a{form};
    if (!desc.className.empty() && desc.className != form.ClassName() && form.ClassName() != "TForm")
        throw FormDescError(desc.line, "description of " + desc.className + " applied to " + form.ClassName());
    for (const Property& p : desc.properties) a.FormProperty(p);
    a.Children(form, desc);
    if (!form.activeControlName.empty() && !form.Find(form.activeControlName))
        throw FormDescError(desc.line, "ActiveControl names no control");
}

void LoadForm(Form& form, const std::string& resourceName) {
    Backend* backend = App().backend;
    if (!backend) throw std::logic_error("no forms backend installed");
    ObjectDesc desc = ParseFormDesc(backend->LoadFormText(resourceName), Utf8ToCp932);
    ApplyFormDesc(form, desc);
    form.Resize(form.clientWidth, form.clientHeight);
    // A hidden form (the resident main window) costs one window until it is
    // first shown; its controls get theirs then, or when something asks for
    // one (the tray's notify window).
    if (form.Visible()) form.CreateHandles();
    else form.Handle();
    form.Created();
}

}  // namespace velmora::forms
