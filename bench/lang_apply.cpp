// Applying a language package to a form: a package of 300 component elements applied to a form of
// 300 components, with the reader's element index against a whole-document search per component.
#include <benchmark/benchmark.h>

#include <string>

#include "environment/LangCommon.h"
#include "platform/forms/Forms.h"
#include "platform/widgets/StdCtrls.h"
#include "platform/xml/XmlDocument.h"

using namespace plat;
using namespace qm;

namespace {

constexpr int kCount = 300;

struct Fixture {
    Fixture() {
        form = new TForm(nullptr, 0);
        form->SetName("frmBench");
        std::string xml = "<TfrmBench Caption=\"bench\">";
        for (int i = 0; i < kCount; ++i) {
            auto* lbl = CreateObject<TLabel>(form);
            lbl->SetName("lbl" + std::to_string(i));
            // Elements in the reverse order of the components, so a first-match search walks far.
            int k = kCount - 1 - i;
            xml += "<lbl" + std::to_string(k) + " Caption=\"text " + std::to_string(k) + "\" Hint=\"hint\"/>";
        }
        xml += "</TfrmBench>";
        doc.LoadXML(xml);
    }
    ~Fixture() { form->Free(); }
    TForm* form;
    TXmlDocument doc;
};

void Apply(benchmark::State& state, bool useIndex) {
    Fixture f;
    for (auto _ : state) {
        TLangReader reader(f.doc);  // a new reader per package open: the index is built each time
        reader.UseIndex = useIndex;
        reader.ApplyTo(f.form);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_ApplyIndexed(benchmark::State& state) { Apply(state, true); }
void BM_ApplyNaiveSearch(benchmark::State& state) { Apply(state, false); }

BENCHMARK(BM_ApplyIndexed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplyNaiveSearch)->Unit(benchmark::kMillisecond);

}  // namespace
