#include "platform/forms/Resources.h"

#include <algorithm>
#include <mutex>

#include "platform/forms/ClassInfo.h"

namespace plat {

namespace {
struct TResourceTable {
    std::mutex Lock;
    std::vector<TResource> Items;  // later registrations last
};
TResourceTable& Table() {
    static TResourceTable t;
    return t;
}

// The class of the top object: "object Name: TClass" / "inherited Name: TClass" / "object TClass".
std::string DescriptionClass(const TResource& r) {
    std::string text = r.Text().substr(0, std::min<size_t>(r.Size, 512));
    size_t pos = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
    auto skipBlanks = [&] {
        while (pos < text.size() && static_cast<unsigned char>(text[pos]) <= ' ') ++pos;
    };
    auto word = [&] {
        skipBlanks();
        size_t b = pos;
        while (pos < text.size() && (isalnum(static_cast<unsigned char>(text[pos])) || text[pos] == '_')) ++pos;
        return text.substr(b, pos - b);
    };
    std::string kw = word();
    if (!SameName(kw, "object") && !SameName(kw, "inherited") && !SameName(kw, "inline")) return {};
    std::string first = word();
    skipBlanks();
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        return word();
    }
    return first;
}
}  // namespace

void RegisterResource(const std::string& module, const std::string& name, TResourceKind kind,
                      const unsigned char* bytes, size_t size) {
    auto& t = Table();
    std::lock_guard<std::mutex> g(t.Lock);
    t.Items.push_back(TResource{module, name, kind, bytes, size});
}

void UnregisterResource(const std::string& module, const std::string& name, TResourceKind kind) {
    auto& t = Table();
    std::lock_guard<std::mutex> g(t.Lock);
    for (auto it = t.Items.rbegin(); it != t.Items.rend(); ++it)
        if (it->Module == module && it->Kind == kind && SameName(it->Name, name)) {
            t.Items.erase(std::next(it).base());
            return;
        }
}

const TResource* FindResource(const std::string& name, TResourceKind kind) {
    auto& t = Table();
    std::lock_guard<std::mutex> g(t.Lock);
    for (auto it = t.Items.rbegin(); it != t.Items.rend(); ++it)
        if (it->Kind == kind && SameName(it->Name, name)) return &*it;
    return nullptr;
}

const TResource* FindDescriptionForClass(const std::string& className) {
    auto& t = Table();
    std::lock_guard<std::mutex> g(t.Lock);
    for (auto it = t.Items.rbegin(); it != t.Items.rend(); ++it)
        if (it->Kind == TResourceKind::Description && SameName(DescriptionClass(*it), className)) return &*it;
    return nullptr;
}

std::vector<std::string> ResourceNames(TResourceKind kind) {
    auto& t = Table();
    std::lock_guard<std::mutex> g(t.Lock);
    std::vector<std::string> names;
    for (auto& r : t.Items)
        if (r.Kind == kind) names.push_back(r.Name);
    return names;
}

}  // namespace plat
