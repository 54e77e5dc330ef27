#pragma once
// The form-description reader. Text format:
//
//   object frmMain: TfrmMain            (or "inherited frmMain: TfrmMain" in a descendant)
//     Caption = 'Main '#39'form'#39 + 'x'   strings: quotes doubled, #nnn code points, joined by +
//     Font.Height = -13                  property paths through class-typed properties
//     Color = clBtnFace                  identifiers: enumerations, Boolean, colours, handlers, refs
//     BorderIcons = [biSystemMenu]       sets
//     Items.Strings = ('a' 'b')          lists (a string list's "Strings")
//     Panels = < item Text = 'x' end >   collections
//     Glyph.Data = {0A1B...}             binary
//     OnClick = btnOkClick               handlers: published methods of the root
//     object btnOk: TButton ... end      children: owned by the root, parented by the enclosing object
//   end
//
// A malformed description raises EReadError naming the description, the line and the cause.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/forms/Classes.h"

namespace plat {

enum class TDfmValueKind { Integer, Float, String, Ident, Set, List, Collection, Binary };

struct TDfmProperty;

struct TDfmItem {
    std::vector<TDfmProperty> Props;
    int Line = 0;
};

struct TDfmValue {
    TDfmValueKind Kind = TDfmValueKind::Integer;
    int64_t Int = 0;
    double Float = 0;
    std::string Str;                       // string text (UTF-8) or identifier
    std::vector<std::string> SetItems;     // set elements
    std::vector<TDfmValue> List;           // list elements
    std::vector<TDfmItem> Items;           // collection items
    std::vector<uint8_t> Bytes;            // binary
    int Line = 0;
    // The texts of a list of strings (identifiers and numbers as written); raises EReadError.
    std::vector<std::string> StringList() const;
};

struct TDfmProperty {
    std::string Name;  // possibly a path: Font.Name
    TDfmValue Value;
    int Line = 0;
};

struct TDfmObject {
    bool Inherited = false;
    bool Inline = false;
    std::string Name;
    std::string ClassName;
    std::vector<TDfmProperty> Props;
    std::vector<TDfmObject> Children;
    int Line = 0;
};

// Parses a description; `source` names it in errors.
TDfmObject ParseDescription(const std::string& text, const std::string& source);

// Reads the descriptions of the instance's class and its ancestors up to (not including)
// `rootAncestor`, the most basic first, into the instance (a form or data module being created).
// Answers false when none of the classes has a description.
bool InitInheritedComponent(TComponent* instance, const TClassInfo& rootAncestor);
// Reads one description into an existing root.
void ReadDescriptionInto(TComponent* root, const std::string& text, const std::string& source);
void ReadDescriptionFile(TComponent* root, const std::string& fileName);
// Reads a registered description resource by name into an existing root.
void ReadDescriptionResource(TComponent* root, const std::string& resourceName);
// Creates the root from the description's class (a form class that is not registered becomes a
// TForm) and reads the description into it; `owner` owns the new root.
TComponent* CreateFromDescription(const std::string& text, const std::string& source, TComponent* owner);

}  // namespace plat
