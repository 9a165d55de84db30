// Stored form descriptions.
//
// A form's layout lives in res/<FormClass>.form as text, one object per
// component, its properties in the order they are applied:
//
//   object DLBox: TDLBox
//     Caption = 'Velmora'
//     ClientWidth = 312
//     BorderIcons = []
//     Font.Name = 'ＭＳ Ｐゴシック'
//     object OkButton: TButton
//       Left = 118
//       Caption = 'Ok'
//       Default = True
//       OnClick = OkButtonClick
//     end
//   end
//
// Values: integers (optionally negative), 'quoted strings' ('' is a quote;
// UTF-8 in the file, code page 932 once parsed), identifiers (True, alBottom,
// handler names), sets [a, b] and string lists ('a' 'b').  A line whose first
// non-blank characters are // is a comment.
//
// The Win32 build embeds these files as RCDATA resources; tests read the same
// files from the source tree.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora::forms {

class Form;
class Control;

struct Value {
    enum class Type { Integer, String, Ident, Set, List };
    Type type = Type::Integer;
    std::int64_t integer = 0;
    std::string text;                // String: code page 932 bytes; Ident: the identifier
    std::vector<std::string> items;  // Set: identifiers; List: strings (code page 932)
};

struct Property {
    std::string name;  // may be dotted: Font.Name
    Value value;
    int line = 0;
};

struct ObjectDesc {
    std::string name;
    std::string className;
    std::vector<Property> properties;
    std::vector<ObjectDesc> children;
    int line = 0;

    const Property* Find(const std::string& propertyName) const;
};

class FormDescError : public std::runtime_error {
public:
    FormDescError(int line, const std::string& what);
    int line;
};

// Parses a description.  `toCp932` converts the file's UTF-8 strings; every
// malformed input raises FormDescError (never crashes, never loops).
ObjectDesc ParseFormDesc(const std::string& utf8Text, const std::function<std::string(const std::string&)>& toCp932);

// Builds `form` from its description: the form's own properties, then every
// child control in file order with its properties in order.  Components that
// are not controls of this layer (class names it does not know) are handed to
// Form::LoadComponent.  Event properties are resolved through the form's
// handler tables; an unknown handler name is a FormDescError.
void ApplyFormDesc(Form& form, const ObjectDesc& desc);

// Loads the form's stored description through the application's backend
// (resource `resourceName`), applies it, creates the window handles and runs
// OnCreate.
void LoadForm(Form& form, const std::string& resourceName);

}  // namespace velmora::forms
