// Language texts, fonts, image strings and skin pictures.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>

#include "tests/ui/ui_test_support.h"
#include "ui/container.h"
#include "ui/resource_manager.h"

namespace tirk::ui::test {
namespace {

class ResourcesTest : public ::testing::Test {
protected:
    void SetUp() override { UseTestSkin(); }
    void TearDown() override { CResourceManager::GetInstance()->LoadLanguage("lang_en.xml"); }
};

TEST_F(ResourcesTest, LoadingALanguageReloadsEveryKeyedText) {
    RecordingWindow window("main.xml");
    ASSERT_TRUE(window.Create(nullptr, "t")) << window.GetLoadError();
    auto* keyed = window.Find<CLabelUI>("keyed");
    auto* deep = window.Find<CLabelUI>("deep_label");
    CLabelUI detached;  // in no window: still follows the language
    detached.SetText("%[hello]");
    CLabelUI plain;
    plain.SetText("%[hello]");
    plain.SetText("fixed text");

    EXPECT_EQ(keyed->GetText(), "Hello");
    EXPECT_EQ(deep->GetText(), "Bye");
    EXPECT_EQ(deep->GetToolTip(), "Hello");
    EXPECT_EQ(deep->GetTextKey(), "bye");

    std::string error;
    ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage("lang_de.xml", &error)) << error;
    EXPECT_EQ(keyed->GetText(), "Hallo");
    EXPECT_EQ(deep->GetText(), "Tschüss");
    EXPECT_EQ(deep->GetToolTip(), "Hallo");
    EXPECT_EQ(detached.GetText(), "Hallo");
    EXPECT_EQ(plain.GetText(), "fixed text") << "a plain text drops its key";
    EXPECT_EQ(window.Find<CComboUI>("combo"), nullptr);
}

TEST_F(ResourcesTest, ABadLanguageFileKeepsTheCurrentTexts) {
    CResourceManager* resources = CResourceManager::GetInstance();
    struct Case {
        const char* file;
        const char* message;
    } cases[] = {
        {"lang_broken.xml", "lang_broken.xml:4: XML error"},
        {"no_language.xml", "no_language.xml: cannot open file"},
        {"main.xml", "main.xml:2: the root element must be <Language>"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(resources->LoadLanguage(c.file, &error)) << c.file;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_EQ(resources->GetText("hello"), "Hello") << c.file;
    }
}

class Fallback : public IQueryControlTextUI {
public:
    std::string QueryControlText(const std::string& key) override {
        return key == "asked" ? "answered" : "";
    }
};

TEST_F(ResourcesTest, MissingKeysFallBackToTheQueryThenToTheKey) {
    CResourceManager* resources = CResourceManager::GetInstance();
    EXPECT_EQ(resources->GetText("message_text_999"), "message_text_999");
    Fallback fallback;
    resources->SetTextQueryInterface(&fallback);
    EXPECT_EQ(resources->GetText("asked"), "answered");
    EXPECT_EQ(resources->GetText("hello"), "Hello") << "the language file comes first";
    EXPECT_EQ(resources->GetText("other"), "other");
    resources->SetTextQueryInterface(nullptr);
}

TEST_F(ResourcesTest, FontsByIdWithTheDefaultForUnknownIds) {
    CResourceManager* resources = CResourceManager::GetInstance();
    resources->SetDefaultFont("Sans", 13, false, false, false);
    EXPECT_TRUE(resources->AddFont(5, "Serif", 20, true, true, true));
    EXPECT_FALSE(resources->AddFont(-1, "Serif", 20, false, false, false));
    EXPECT_FALSE(resources->AddFont(6, "Serif", 0, false, false, false));
    EXPECT_EQ(resources->GetFont(5).face, "Serif");
    EXPECT_TRUE(resources->GetFont(5).underline);
    EXPECT_EQ(resources->GetFont(42).size, 13) << "unknown id → default";
    resources->RemoveAllFonts();
    EXPECT_FALSE(resources->HasFont(5));
    EXPECT_EQ(resources->GetFont(5).face, "Sans");
}

// Counts how often its window re-measures it.
class MeasureCounter : public CControlUI {
public:
    void OnDpiOrFontChanged() override {
        ++count;
        CControlUI::OnDpiOrFontChanged();
    }
    int count = 0;
};

TEST_F(ResourcesTest, AFontBatchReMeasuresTheWindowsOnce) {
    RecordingWindow window("main.xml");
    ASSERT_TRUE(window.Create(nullptr, "fonts"));
    auto* counter = new MeasureCounter;
    ASSERT_TRUE(dynamic_cast<CContainerUI*>(window.GetRoot())->Add(counter));
    CResourceManager* resources = CResourceManager::GetInstance();
    auto replaceTable = [resources] {
        resources->RemoveAllFonts();
        for (int id = 0; id < 5; ++id) resources->AddFont(id, "Sans", 12 + id, false, false, false);
        resources->SetDefaultFont("Sans", 14, false, false, false);
    };
    counter->count = 0;
    replaceTable();
    EXPECT_EQ(counter->count, 7) << "every change re-measures outside a batch";
    counter->count = 0;
    {
        CFontBatchUI outer;
        {
            CFontBatchUI inner;
            replaceTable();
        }
        EXPECT_EQ(counter->count, 0) << "nothing before the outermost batch closes";
    }
    EXPECT_EQ(counter->count, 1);
    counter->count = 0;
    { CFontBatchUI unchanged; }
    EXPECT_EQ(counter->count, 0) << "a batch without changes re-measures nothing";
}

TEST_F(ResourcesTest, FontFilesMustExistAndBeFonts) {
    CResourceManager* resources = CResourceManager::GetInstance();
    EXPECT_FALSE(resources->AddFontFile(SkinDir() + "no_such_font.ttf"));
    EXPECT_FALSE(resources->AddFontFile(SkinDir() + "main.xml")) << "not a font";
    const char* system = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (QFile::exists(system)) {
        EXPECT_TRUE(resources->AddFontFile(system));
    }
}

struct ImageCase {
    const char* text;
    bool valid;
    TImageStringUI expected;  // when valid
    const char* error;        // part of the message when not
};

TEST(ImageStringTest, ParsesTheSkinForms) {
    const ImageCase cases[] = {
        {"bk.png", true, {"bk.png", {}, {}, {}, 255}, ""},
        {"  skin/bk.png ", true, {"skin/bk.png", {}, {}, {}, 255}, ""},
        {"file='a.png' source='0,0,20,10'",
         true,
         {"a.png", TRectUI{0, 0, 20, 10}, {}, {}, 255},
         ""},
        {"file='a b.png' corner='4,5,6,7' fade='128'",
         true,
         {"a b.png", {}, {}, TRectUI{4, 5, 6, 7}, 128},
         ""},
        {"file=\"a.png\" dest='1,2,3,4'", true, {"a.png", {}, TRectUI{1, 2, 3, 4}, {}, 255}, ""},
        {"res='a.png' xtiled='true'", true, {"a.png", {}, {}, {}, 255}, ""},
        {"", false, {}, "empty"},
        {"source='0,0,1,1'", false, {}, "no file"},
        {"file='a.png' source='0,0,1'", false, {}, "bad rectangle"},
        {"file='a.png' fade='300'", false, {}, "fade must be 0..255"},
        {"file='a.png' colour='1'", false, {}, "unknown key 'colour'"},
        {"file='a.png", false, {}, "unclosed quote"},
    };
    for (const ImageCase& c : cases) {
        std::string error;
        std::optional<TImageStringUI> parsed = ParseImageString(c.text, &error);
        ASSERT_EQ(parsed.has_value(), c.valid) << c.text << ": " << error;
        if (!c.valid) {
            EXPECT_NE(error.find(c.error), std::string::npos) << c.text << ": " << error;
            continue;
        }
        EXPECT_EQ(parsed->file, c.expected.file) << c.text;
        EXPECT_EQ(parsed->source, c.expected.source) << c.text;
        EXPECT_EQ(parsed->dest, c.expected.dest) << c.text;
        EXPECT_EQ(parsed->corner, c.expected.corner) << c.text;
        EXPECT_EQ(parsed->fade, c.expected.fade) << c.text;
    }
}

// Exposes the protected drawing of image strings.
class Canvas : public CControlUI {
public:
    QImage Draw(const std::string& image, QSize size) {
        QImage target(size, QImage::Format_ARGB32_Premultiplied);
        target.fill(Qt::transparent);
        QPainter painter(&target);
        resize(size);
        drawn = DrawImage(painter, image);
        return target;
    }
    bool drawn = false;
};

struct DrawCase {
    const char* image;
    QPoint probe;  // in an 8 x 8 target
    QRgb colour;
};

TEST_F(ResourcesTest, ImagesAreCutBySourceAndScaledIntoTheControl) {
    constexpr QRgb kGreen = 0xFF00FF00, kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kNone = 0;
    const DrawCase cases[] = {
        {"quad.png", {0, 0}, kGreen},
        {"quad.png", {3, 5}, kRed},
        {"quad.png", {7, 7}, kBlue},
        {"file='quad.png' source='0,0,2,2'", {7, 7}, kGreen},  // green corner stretched
        {"file='quad.png' source='4,0,8,8'", {0, 0}, kBlue},
        {"file='quad.png' dest='4,4,8,8'", {1, 1}, kNone},  // only the lower right quarter
        {"file='quad.png' dest='4,4,8,8'", {4, 4}, kGreen},
        {"file='quad.png' fade='0'", {7, 7}, kNone},
    };
    for (const DrawCase& c : cases) {
        Canvas canvas;
        QImage image = canvas.Draw(c.image, QSize(8, 8));
        EXPECT_TRUE(canvas.drawn) << c.image;
        EXPECT_EQ(image.pixel(c.probe), c.colour)
            << c.image << " at " << c.probe.x() << "," << c.probe.y() << std::hex << " got "
            << image.pixel(c.probe);
    }
    Canvas canvas;
    canvas.Draw("missing.png", QSize(8, 8));
    EXPECT_FALSE(canvas.drawn);
    canvas.Draw("file='quad.png' fade='x'", QSize(8, 8));
    EXPECT_FALSE(canvas.drawn);
}

TEST_F(ResourcesTest, PictureSizesComeFromTheCache) {
    TSizeUI size;
    ASSERT_TRUE(GetImageSize("quad.png", &size));
    EXPECT_EQ(size, (TSizeUI{8, 8}));
    EXPECT_FALSE(GetImageSize("missing.png", &size));
}

}  // namespace
}  // namespace tirk::ui::test
