// render-form FILE.dfm OUT.png [--layout OUT.json] [--library LIB.so]...
//
// Reads a form description, lays the form out with real (Qt) text metrics and writes a PNG of it
// through Qt's offscreen platform; with --layout also every component (those a component owns
// itself too) as JSON: name, class, parent, bounds relative to the parent, visibility, enabled
// state, caption or text. Every class the installation registers is known: the staged class
// libraries (environment, option controls, client modules) are loaded first. Event handlers in
// the description are left unbound.
#include <dlfcn.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/forms/DfmReader.h"
#include "platform/forms/Forms.h"
#include "platform/qt/QtWidgetSet.h"

namespace fs = std::filesystem;
using namespace plat;

namespace {

int Usage() {
    std::cerr << "usage: render-form FILE.dfm OUT.png [--layout OUT.json] [--library LIB.so]...\n";
    return 2;
}

// The staged installation this program belongs to (bin/..).
fs::path StageFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path(".") : exe.parent_path().parent_path();
}

void LoadClassLibraries(const std::vector<std::string>& extra) {
    fs::path stage = StageFolder();
    std::vector<fs::path> libs = {stage / "lib" / "libqmenv.so", stage / "lib" / "libqmcontrols.so"};
    std::error_code ec;
    for (auto& e : fs::directory_iterator(stage / "C_PKG", ec))
        if (e.path().extension() == ".so") libs.push_back(e.path());
    for (auto& x : extra) libs.emplace_back(x);
    for (auto& lib : libs) {
        if (!fs::exists(lib)) continue;  // not built (yet): its classes are simply unknown
        // Kept loaded: the classes it registered must outlive the form.
        if (!dlopen(lib.c_str(), RTLD_NOW | RTLD_GLOBAL))
            std::cerr << "render-form: cannot load " << lib.string() << ": " << dlerror() << "\n";
    }
}

// Handlers name methods of the form's class, which is not here: leave them unbound.
std::string WithoutHandlers(const std::string& text) {
    static const std::regex handler(R"(^[ \t]*On[A-Za-z0-9_]*[ \t]*=[ \t]*[A-Za-z_][A-Za-z0-9_]*[ \t]*\r?$)",
                                    std::regex::multiline);
    return std::regex_replace(text, handler, "");
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

void Describe(TComponent* c, std::vector<std::string>& out) {
    std::ostringstream j;
    j << "{\"name\":" << JsonString(c->Name()) << ",\"class\":" << JsonString(c->ClassName());
    if (auto* ctl = dynamic_cast<TControl*>(c)) {
        j << ",\"parent\":" << (ctl->Parent() ? JsonString(ctl->Parent()->Name()) : std::string("null"));
        j << ",\"left\":" << ctl->Left() << ",\"top\":" << ctl->Top() << ",\"width\":" << ctl->Width()
          << ",\"height\":" << ctl->Height();
        j << ",\"visible\":" << (ctl->Visible() ? "true" : "false") << ",\"enabled\":" << (ctl->Enabled() ? "true" : "false");
        j << ",\"text\":" << JsonString(ctl->Caption());
    } else {
        j << ",\"parent\":null";
    }
    j << "}";
    out.push_back(j.str());
    for (int i = 0; i < c->ComponentCount(); ++i) Describe(c->Components(i), out);
}

}  // namespace

int main(int argc, char** argv) {
    std::string input, output, layout;
    std::vector<std::string> libraries;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--layout" && i + 1 < argc) layout = argv[++i];
        else if (a == "--library" && i + 1 < argc) libraries.push_back(argv[++i]);
        else if (!a.empty() && a[0] == '-') return Usage();
        else if (input.empty()) input = a;
        else if (output.empty()) output = a;
        else return Usage();
    }
    if (input.empty() || output.empty()) return Usage();

    // Always the offscreen platform: the picture must not depend on a display being there.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    if (!InstallQtWidgetSet()) {
        std::cerr << "render-form: the Qt widgetset could not start\n";
        return 1;
    }
    LoadClassLibraries(libraries);

    std::ifstream in(input, std::ios::binary);
    if (!in) {
        std::cerr << "render-form: cannot read " << input << "\n";
        return 1;
    }
    std::stringstream buf;
    buf << in.rdbuf();
    TCustomForm* form = nullptr;
    try {
        TComponent* root = CreateFromDescription(WithoutHandlers(buf.str()), input, nullptr);
        form = dynamic_cast<TCustomForm*>(root);
        if (!form) {
            std::cerr << "render-form: " << input << " does not describe a form (" << root->ClassName() << ")\n";
            root->Free();
            return 1;
        }
        form->CreateHandlesDeep();
        QImage img = RenderFormImage(*form);
        if (!img.save(QString::fromStdString(output), "PNG")) {
            std::cerr << "render-form: cannot write " << output << "\n";
            form->Free();
            return 1;
        }
        if (!layout.empty()) {
            std::vector<std::string> items;
            Describe(form, items);
            std::ofstream js(layout, std::ios::binary);
            js << "[\n";
            for (size_t i = 0; i < items.size(); ++i) js << "  " << items[i] << (i + 1 < items.size() ? ",\n" : "\n");
            js << "]\n";
            if (!js) {
                std::cerr << "render-form: cannot write " << layout << "\n";
                form->Free();
                return 1;
            }
        }
        form->Free();
    } catch (const std::exception& e) {
        std::cerr << "render-form: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
