// Name commands: name (the five grids), strokes (one character), element (the listing).
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/output.h"
#include "cli/traditional_output.h"
#include "core/platform/platform.h"
#include "core/text/data_folder.h"
#include "core/divination/stroke_dictionary.h"

namespace hj::cli {
namespace {

// dat/hzlen.dat of the data folder (--data-dir / $HENGJIAN_HOME, else beside the program); when
// that folder has none, the default copy shipped beside the program.
bool dictionaryPath(const Context& ctx, std::string& path) {
    const std::string root = ctx.dataDir.empty() ? programFolder() : ctx.dataDir;
    path = root + "/dat/hzlen.dat";
    if (platform::kindOf(path) == platform::Kind::File) return true;
    const std::string defaults = text::defaultDataFolder(programFolder());
    if (!defaults.empty() && platform::kindOf(defaults + "/hzlen.dat") == platform::Kind::File) {
        path = defaults + "/hzlen.dat";
        return true;
    }
    return false;
}

void print(const std::string& text) {
    writeOut(text);
    if (text.empty() || text.back() != '\n') writeOut("\n");
}

int runName(const Context& ctx, const std::string& name, bool compound) {
    std::string path;
    if (!dictionaryPath(ctx, path)) return fail(std::string(kMsgDictionaryMissing) + "：" + path);
    StrokeDictionary d(path);
    NameGrids g;
    if (!d.computeGrids(name, !compound, g)) return fail(d.errorText());
    // A name keeps its characters under --traditional, each of them too where it stands alone.
    keepAsTyped(name);
    for (const std::string& ch : g.characters) keepAsTyped(ch);
    print(gridsText(name, g));
    return 0;
}

int runStrokes(const Context& ctx, const std::string& character) {
    std::string path;
    if (!dictionaryPath(ctx, path)) return fail(std::string(kMsgDictionaryMissing) + "：" + path);
    StrokeDictionary d(path);
    const int n = d.strokesOf(character);
    if (n == 0) return fail(d.errorText());
    keepAsTyped(character);  // 范 is a surname: not 範
    print(characterText(character, n));
    return 0;
}

int runElement(const Context& ctx, const std::string& element) {
    int code = -1;
    for (int e = 0; e < 5; ++e)
        if (element == elementName(e)) code = e;
    if (code < 0) return fail("五行须是 水、木、火、土、金 之一：" + element);
    std::string path;
    if (!dictionaryPath(ctx, path)) return fail(std::string(kMsgDictionaryMissing) + "：" + path);
    StrokeDictionary d(path);
    std::string text;
    if (!d.listCharactersOfElement(code, text)) return fail(d.errorText());
    print(text);
    return 0;
}

void setup(CLI::App& app, Context& ctx) {
    static std::string name, character, element;
    static bool compound = false;

    auto* n = app.add_subcommand("name", "The five grids (五格) of a name with their elements, as 求五格 shows them");
    n->add_option("NAME", name, "Surname and given name, 2 to 4 characters")->required();
    n->add_flag("--compound", compound, "The surname has two characters (复姓)");
    n->callback([&ctx] { ctx.exitCode = runName(ctx, name, compound); });

    auto* s = app.add_subcommand("strokes", "Strokes and element of one character: \"明字:8画,五行属:金。\"");
    s->add_option("CHAR", character, "One Chinese character")->required();
    s->callback([&ctx] { ctx.exitCode = runStrokes(ctx, character); });

    auto* e = app.add_subcommand("element", "Every character of the stroke dictionary belonging to an element");
    e->add_option("ELEMENT", element, "水, 木, 火, 土 or 金")->required();
    e->callback([&ctx] { ctx.exitCode = runElement(ctx, element); });
}

const CommandRegistrar registrar(60, &setup);

}  // namespace
}  // namespace hj::cli
