// Which face text is drawn with, whatever else a machine has installed:
// DejaVu Sans Mono Bold when it is there, even where fontconfig's bold
// monospace face is another one; that face only where DejaVu Sans Mono is
// missing. Each case builds a fontconfig configuration of its own.
#include "support/temporary_directory.h"
#include "text.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path dejavu_folder = "/usr/share/fonts/truetype/dejavu";

struct Config_Deleter {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
using Config = std::unique_ptr<FcConfig, Config_Deleter>;

// A configuration that knows only the fonts in the folders of fonts_xml,
// with its cache in the scratch folder and the rules of rules_xml.
Config Make_Config(const Temporary_Directory& scratch, const std::string& fonts_xml, const std::string& rules_xml) {
    const std::string xml = "<?xml version=\"1.0\"?><fontconfig>" + fonts_xml + "<cachedir>" +
                            (scratch.Path() / "cache").string() + "</cachedir>" + rules_xml + "</fontconfig>";
    Config config(FcConfigCreate());
    EXPECT_TRUE(FcConfigParseAndLoadFromMemory(config.get(), reinterpret_cast<const FcChar8*>(xml.c_str()), FcTrue));
    EXPECT_TRUE(FcConfigBuildFonts(config.get()));
    return config;
}

std::string Monospace_Bold_File(FcConfig* config) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("monospace:style=Bold"));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    std::string path;
    FcChar8* file = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) path = (const char*)file;
    if (match != nullptr) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return path;
}

const std::string prefer_serif_for_monospace =
    "<alias binding=\"strong\"><family>monospace</family><prefer><family>DejaVu Serif</family></prefer></alias>";

class Font_Choice : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(dejavu_folder / "DejaVuSansMono-Bold.ttf") || !fs::exists(dejavu_folder / "DejaVuSerif-Bold.ttf"))
            GTEST_SKIP() << "the DejaVu fonts are not in " << dejavu_folder;
        ASSERT_TRUE(FcInit());
    }
    Temporary_Directory scratch;
};

TEST_F(Font_Choice, DejaVuSansMonoBoldIsChosenByNameWhereMonospaceMeansAnotherFace) {
    Config config = Make_Config(scratch, "<dir>" + dejavu_folder.string() + "</dir>", prefer_serif_for_monospace);
    // As on a machine with Noto Sans Mono: the generic bold monospace face is another one.
    ASSERT_EQ(fs::path(Monospace_Bold_File(config.get())).filename(), "DejaVuSerif-Bold.ttf");
    EXPECT_EQ(text::Find_Font_File(config.get()), (dejavu_folder / "DejaVuSansMono-Bold.ttf").string());
}

TEST_F(Font_Choice, WithoutDejaVuSansMonoTheBoldMonospaceFaceIsTakenAndWithoutAnyFontNothing) {
    // A folder of fonts that lacks DejaVu Sans Mono: the face monospace
    // stands for there, not whatever fontconfig answers for a missing name.
    const fs::path fonts = scratch.Path() / "fonts";
    fs::create_directories(fonts);
    fs::copy_file(dejavu_folder / "DejaVuSans-Bold.ttf", fonts / "DejaVuSans-Bold.ttf");
    fs::copy_file(dejavu_folder / "DejaVuSerif-Bold.ttf", fonts / "DejaVuSerif-Bold.ttf");
    Config config = Make_Config(scratch, "<dir>" + fonts.string() + "</dir>", prefer_serif_for_monospace);
    EXPECT_EQ(text::Find_Font_File(config.get()), (fonts / "DejaVuSerif-Bold.ttf").string());

    const fs::path empty = scratch.Path() / "empty";
    fs::create_directories(empty);
    Config none = Make_Config(scratch, "<dir>" + empty.string() + "</dir>", "");
    EXPECT_EQ(text::Find_Font_File(none.get()), "");
}

}  // namespace
