// The skin XML reader and the resource access: accepted subset, error texts and locations,
// attribute tables, entities, limits, files. Runs natively and, as Windows code, under Wine.
#include "ui/UIMarkup.h"
#include "ui/UIResource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct ParseError {
    std::string message;
    std::string location;
};

ParseError LoadError(const std::string& xml) {
    CMarkup markup;
    EXPECT_FALSE(markup.Load(xml.c_str())) << xml;
    EXPECT_FALSE(markup.GetRoot().IsValid());
    return {markup.GetLastErrorMessage(), markup.GetLastErrorLocation()};
}

// A private folder for files, removed again at the end of the test.
class ScratchFolder {
public:
    ScratchFolder() {
        static std::atomic<int> serial{0};
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = fs::temp_directory_path() /
                ("ui_markup_" + std::to_string(stamp) + "_" + std::to_string(serial++));
        fs::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    // The folder with a trailing separator, as a resource path.
    std::string Prefix() const { return (path_ / "").string(); }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream out(path_ / name, std::ios::binary);
        out.write(bytes.data(), std::streamsize(bytes.size()));
    }
    fs::path Path(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

} // namespace

TEST(Markup, BuildsTheElementTree) {
    CMarkup markup;
    ASSERT_TRUE(markup.Load("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                            "<!-- a skin -->\n"
                            "<Window size=\"800,600\" caption=\"0,0,0,30\">\n"
                            "  <Font id=\"0\" name=\"Arial\" size=\"12\"/>\n"
                            "  <VerticalLayout name=\"body\">Body text"
                            "    <Button name=\"ok\" text=\"OK\" />\n"
                            "    <Label/>\n"
                            "  </VerticalLayout >\n"
                            "</Window>\n"));
    CMarkupNode root = markup.GetRoot();
    ASSERT_TRUE(root.IsValid());
    EXPECT_STREQ(root.GetName(), "Window");
    EXPECT_FALSE(root.HasSiblings());
    EXPECT_FALSE(root.GetParent().IsValid());

    CMarkupNode font = root.GetChild();
    EXPECT_STREQ(font.GetName(), "Font");
    EXPECT_FALSE(font.HasChildren());
    EXPECT_EQ(font.GetAttributeCount(), 3);
    EXPECT_STREQ(font.GetAttributeValue("name"), "Arial");

    CMarkupNode body = font.GetSibling();
    EXPECT_STREQ(body.GetName(), "VerticalLayout");
    EXPECT_EQ(std::string(body.GetValue()).find("Body text"), 0u);
    EXPECT_STREQ(body.GetParent().GetName(), "Window");
    CMarkupNode button = body.GetChild();
    EXPECT_STREQ(button.GetName(), "Button");
    EXPECT_STREQ(button.GetAttributeValue("text"), "OK");
    CMarkupNode label = button.GetSibling();
    EXPECT_STREQ(label.GetName(), "Label");
    EXPECT_FALSE(label.HasAttributes());
    EXPECT_FALSE(label.GetSibling().IsValid());
    EXPECT_FALSE(body.GetSibling().IsValid());
    EXPECT_STREQ(root.GetChild("VerticalLayout").GetName(), "VerticalLayout");
    EXPECT_FALSE(root.GetChild("verticallayout").IsValid());
    EXPECT_EQ(markup.GetElementCount(), 6); // the dummy record and five elements
}

TEST(Markup, AcceptsTheLooseCornersOfTheSubset) {
    // Names of letters, digits, "_" and ":"; "<a/>" without a blank; whitespace around the
    // end-tag name; an unclosed root at the end of the text.
    CMarkup markup;
    ASSERT_TRUE(markup.Load("<ns:Root_1><b/><c></ c ></ns:Root_1>"));
    EXPECT_STREQ(markup.GetRoot().GetName(), "ns:Root_1");
    EXPECT_STREQ(markup.GetRoot().GetChild().GetName(), "b");
    EXPECT_STREQ(markup.GetRoot().GetChild().GetSibling().GetName(), "c");

    ASSERT_TRUE(markup.Load("<Window caption=\"1\">\n  <Font id=\"1\"/>\n"));
    EXPECT_STREQ(markup.GetRoot().GetName(), "Window");
    EXPECT_STREQ(markup.GetRoot().GetChild().GetName(), "Font");

    ASSERT_TRUE(markup.Load("<Window>text"));
    EXPECT_STREQ(markup.GetRoot().GetName(), "Window");
    EXPECT_STREQ(markup.GetRoot().GetValue(), "text");

    // Several top-level elements are siblings; the root is the first.
    ASSERT_TRUE(markup.Load("<a/><b/>"));
    EXPECT_STREQ(markup.GetRoot().GetSibling().GetName(), "b");
}

TEST(Markup, DocumentsWithoutElementsHaveNoRoot) {
    CMarkup markup;
    EXPECT_TRUE(markup.Load(""));
    EXPECT_FALSE(markup.GetRoot().IsValid());
    EXPECT_TRUE(markup.Load("  \r\n\t <!-- only a comment --> <?pi?> "));
    EXPECT_FALSE(markup.GetRoot().IsValid());
}

TEST(Markup, CommentsEndAtTheFirstArrow) {
    CMarkup markup;
    ASSERT_TRUE(markup.Load("<Window><!-- note --><Font/></Window>"));
    CMarkupNode root = markup.GetRoot();
    EXPECT_STREQ(root.GetChild().GetName(), "Font");
    EXPECT_FALSE(root.GetChild().GetSibling().IsValid());

    ParseError error = LoadError("<Window><!-- a -> b --><Font/></Window>");
    EXPECT_EQ(error.message, "Expected start tag");
    EXPECT_EQ(error.location, "b --><Font/></Window>");
}

TEST(Markup, EveryErrorTextWithItsLocation) {
    struct Case {
        const char* xml;
        const char* message;
        const char* location;
    } cases[] = {
        {"text", "Expected start tag", "text"},
        {"<a></a> tail", "Expected start tag", "tail"},
        {"<a><b>x</b>y</a>", "Expected start tag", "y</a>"},
        {"<a><b/>more</a>", "Expected start tag", "more</a>"},
        {"<a><b><c/>", "Expected start tag", ""},
        {"<>", "Error parsing element name", ">"},
        {"<a x=\"1\" / >", "Expected start-tag closing", "/ >"},
        {"<a", "Expected start-tag closing", ""},
        {"<a><b></a>", "Unmatched closing tag", "a>"},
        {"<a></b>", "Unmatched closing tag", "b>"},
        {"<a></a x>", "Unmatched closing tag", "x>"},
        {"<a x></a>", "Error while parsing attributes", "></a>"},
        {"<a x y=\"1\"/>", "Error while parsing attributes", "y=\"1\"/>"},
        {"<a x='1'/>", "Expected attribute value", "'1'/>"},
        {"<a x=1/>", "Expected attribute value", "1/>"},
        {"<a x=\"1/>", "Error while parsing attribute string", "1/>"},
    };
    for (const Case& c : cases) {
        ParseError error = LoadError(c.xml);
        EXPECT_EQ(error.message, c.message) << c.xml;
        EXPECT_EQ(error.location, c.location) << c.xml;
    }
}

TEST(Markup, ErrorTextsAreCutAndTerminated) {
    std::string xml = "<a>" + std::string(200, 'x') + "</a>";
    xml = "<a></a>" + std::string(200, 'y');
    CMarkup markup;
    EXPECT_FALSE(markup.Load(xml.c_str()));
    EXPECT_EQ(std::string(markup.GetLastErrorLocation()), std::string(49, 'y'));
    char small[8];
    markup.GetLastErrorMessage(small, sizeof(small));
    EXPECT_STREQ(small, "Expecte");
    markup.GetLastErrorLocation(small, 1);
    EXPECT_STREQ(small, "");
    // A later success clears the error.
    EXPECT_TRUE(markup.Load("<a/>"));
    EXPECT_STREQ(markup.GetLastErrorMessage(), "");
}

TEST(Markup, AttributeLookup) {
    CMarkup markup;
    ASSERT_TRUE(markup.Load("<Button Name=\"first\" name=\"second\" text = \"Hello world\" "
                            "empty=\"\"/>"));
    CMarkupNode node = markup.GetRoot();
    EXPECT_TRUE(node.HasAttributes());
    ASSERT_EQ(node.GetAttributeCount(), 4);
    EXPECT_STREQ(node.GetAttributeName(0), "Name");
    EXPECT_STREQ(node.GetAttributeValue(2), "Hello world");
    EXPECT_STREQ(node.GetAttributeName(4), "");
    EXPECT_STREQ(node.GetAttributeValue(-1), "");
    EXPECT_STREQ(node.GetAttributeValue("NAME"), "first"); // case-insensitive, first wins
    EXPECT_STREQ(node.GetAttributeValue("empty"), "");
    EXPECT_EQ(node.GetAttributeValue("missing"), nullptr);
    EXPECT_TRUE(node.HasAttribute("TEXT"));

    char buffer[6] = {'#', '#', '#', '#', '#', '#'};
    EXPECT_TRUE(node.GetAttributeValue("text", buffer, sizeof(buffer)));
    EXPECT_STREQ(buffer, "Hello"); // cut to the buffer and terminated
    EXPECT_FALSE(node.GetAttributeValue("missing", buffer, sizeof(buffer)));
    EXPECT_TRUE(node.GetAttributeValue("name", buffer, 1));
    EXPECT_STREQ(buffer, "");

    CMarkupNode invalid;
    EXPECT_FALSE(invalid.IsValid());
    EXPECT_EQ(invalid.GetName(), nullptr);
    EXPECT_EQ(invalid.GetAttributeName(0), nullptr);
    EXPECT_EQ(invalid.GetAttributeValue(0), nullptr);
    EXPECT_FALSE(invalid.GetAttributeValue("name", buffer, sizeof(buffer)));
    EXPECT_FALSE(invalid.GetChild().IsValid());
    EXPECT_FALSE(invalid.HasAttributes());

    ASSERT_TRUE(markup.Load("<a><b x=\"1\"/></a>"));
    EXPECT_FALSE(markup.GetRoot().GetAttributeValue("x", buffer, sizeof(buffer)));
}

TEST(Markup, OnlyTheFirst64AttributesAreSeen) {
    std::string xml = "<Control";
    for (int i = 0; i < 70; ++i)
        xml += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    xml += "/>";
    CMarkup markup;
    ASSERT_TRUE(markup.Load(xml.c_str()));
    CMarkupNode node = markup.GetRoot();
    EXPECT_EQ(node.GetAttributeCount(), 64);
    EXPECT_STREQ(node.GetAttributeValue("a63"), "63");
    EXPECT_EQ(node.GetAttributeValue("a64"), nullptr);
}

TEST(Markup, DecodesThePredefinedEntities) {
    CMarkup markup;
    ASSERT_TRUE(markup.Load("<a v=\"x &amp; y\" w=\"&lt;&gt;&quot;&apos;&amp;amp;\" "
                            "s=\"&sect; &#65; & ;\" after=\"z\">&lt;b&gt; &amp;&amp; "
                            "c</a>"));
    CMarkupNode node = markup.GetRoot();
    EXPECT_STREQ(node.GetAttributeValue("v"), "x & y");
    EXPECT_STREQ(node.GetAttributeValue("w"), "<>\"'&amp;");
    EXPECT_STREQ(node.GetAttributeValue("s"), "&sect; &#65; & ;");
    EXPECT_STREQ(node.GetAttributeValue("after"), "z"); // the table survives the shrinking
    EXPECT_STREQ(node.GetValue(), "<b> && c");
}

TEST(Markup, PreservesWhitespaceInData) {
    CMarkup markup;
    ASSERT_TRUE(markup.Load("<a t=\"  two  blanks \">\n line\t one \n</a>"));
    EXPECT_STREQ(markup.GetRoot().GetAttributeValue("t"), "  two  blanks ");
    EXPECT_STREQ(markup.GetRoot().GetValue(), "\n line\t one \n");
}

TEST(Markup, CollapsesWhitespaceWhenAsked) {
    CMarkup markup;
    markup.SetPreserveWhitespace(false);
    ASSERT_TRUE(markup.Load("<a t=\"  two \t\n blanks \">\n line\t one \n</a>"));
    EXPECT_STREQ(markup.GetRoot().GetAttributeValue("t"), " two blanks ");
    EXPECT_STREQ(markup.GetRoot().GetValue(), " line one ");
}

TEST(Markup, NestingIsCapped) {
    auto nested = [](int depth) {
        std::string xml;
        for (int i = 0; i < depth; ++i)
            xml += "<n>";
        for (int i = 0; i < depth; ++i)
            xml += "</n>";
        return xml;
    };
    CMarkup markup;
    EXPECT_TRUE(markup.Load(nested(CMarkup::kMaxDepth + 1).c_str()));
    EXPECT_FALSE(markup.Load(nested(CMarkup::kMaxDepth + 2).c_str()));
    EXPECT_STREQ(markup.GetLastErrorMessage(), "Elements nested too deeply");
    EXPECT_EQ(std::string(markup.GetLastErrorLocation()).substr(0, 11), "<n></n></n>");
    // Far deeper documents fail the same way instead of exhausting the stack.
    EXPECT_FALSE(markup.Load(nested(200000).c_str()));
    EXPECT_STREQ(markup.GetLastErrorMessage(), "Elements nested too deeply");
}

TEST(Markup, VeryLongNamesAndValues) {
    const std::string name(100000, 'N');
    const std::string value(1000000, 'v');
    const std::string xml =
        "<" + name + " " + name + "=\"" + value + "\">" + value + "</" + name + ">";
    CMarkup markup;
    ASSERT_TRUE(markup.Load(xml.c_str()));
    CMarkupNode root = markup.GetRoot();
    EXPECT_EQ(std::string(root.GetName()), name);
    EXPECT_EQ(std::string(root.GetAttributeValue(name.c_str())), value);
    EXPECT_EQ(std::string(root.GetValue()), value);
}

TEST(Markup, ElementTableGrowth) {
    CMarkup markup;
    EXPECT_EQ(markup.GetElementCapacity(), 0);
    ASSERT_TRUE(markup.Load("<a/>"));
    EXPECT_EQ(markup.GetElementCapacity(), 500);
    std::string xml = "<r>";
    for (int i = 0; i < 600; ++i)
        xml += "<c/>";
    xml += "</r>";
    ASSERT_TRUE(markup.Load(xml.c_str()));
    EXPECT_EQ(markup.GetElementCount(), 602);
    EXPECT_EQ(markup.GetElementCapacity(), 1250);
    int children = 0;
    for (CMarkupNode c = markup.GetRoot().GetChild(); c.IsValid(); c = c.GetSibling())
        ++children;
    EXPECT_EQ(children, 600);
}

TEST(Markup, TextThatIsNotXml) {
    const std::string samples[] = {
        std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
        "{\"json\": true}",
        "<<<<>>>>",
        "</a>",
        "<a b=\"&",
        "<!-",
        "<?",
        "<a>\xff\xfe<",
        "<\xe4\xb8",
        "<a b=\"\xe4",
        "<!-- \xe4",
    };
    for (const std::string& sample : samples) {
        CMarkup markup;
        markup.LoadFromMem(sample.data(), sample.size());
        markup.Load(sample.c_str());
    }
    // An end tag where an element must begin ends the top level: nothing is built.
    CMarkup markup;
    EXPECT_TRUE(markup.Load("</a>"));
    EXPECT_FALSE(markup.GetRoot().IsValid());
    EXPECT_FALSE(markup.Load("<a>x</a>y"));
    EXPECT_STREQ(markup.GetLastErrorMessage(), "Expected start tag");
}

TEST(Markup, LeadByteBeforeTheTerminatorIsOneCharacter) {
    // The last byte of the text starts a multibyte character: stepping must stop at the
    // terminator (the toolkit holds UTF-8).
    const char text[] = {static_cast<char>(0xE4), '\0', 'X', '\0'};
    const char* next = NextUtf8Char(text);
    EXPECT_EQ(next, text + 1);
    EXPECT_EQ(NextUtf8Char(next), next);

    CMarkup markup;
    EXPECT_FALSE(markup.Load("<a b=\"\xe4"));
    EXPECT_STREQ(markup.GetLastErrorMessage(), "Error while parsing attribute string");
    EXPECT_TRUE(markup.Load("<a>\xe4"));
}

TEST(Markup, LoadFromMemConvertsUtf8AndSkipsTheMark) {
    const std::string plain = "<Window text=\"caf\xc3\xa9\"/>";
    const std::string marked = "\xEF\xBB\xBF" + plain;
    CMarkup first, second;
    ASSERT_TRUE(first.LoadFromMem(plain.data(), plain.size()));
    ASSERT_TRUE(second.LoadFromMem(marked.data(), marked.size()));
    EXPECT_STREQ(first.GetRoot().GetAttributeValue("text"),
                 second.GetRoot().GetAttributeValue("text"));
    EXPECT_EQ(std::string(first.GetRoot().GetAttributeValue("text")).substr(0, 3), "caf");

    // UTF-16 and text already in the code page.
    const char16_t wide[] = u"\xFEFF<a v=\"x\"/>";
    CMarkup utf16;
    ASSERT_TRUE(utf16.LoadFromMem(wide, sizeof(wide) - 2, XMLFILE_ENCODING_UNICODE));
    EXPECT_STREQ(utf16.GetRoot().GetAttributeValue("v"), "x");
    CMarkup ansi;
    ASSERT_TRUE(ansi.LoadFromMem("<b/>", 4, XMLFILE_ENCODING_ANSI));
    EXPECT_STREQ(ansi.GetRoot().GetName(), "b");

    // A zero byte ends the text.
    const char withZero[] = "<a/>\0garbage";
    CMarkup cut;
    EXPECT_TRUE(cut.LoadFromMem(withZero, sizeof(withZero) - 1));
}

TEST(Markup, ReleaseEmptiesTheDocument) {
    CMarkup markup("<a><b/></a>");
    ASSERT_TRUE(markup.IsValid());
    markup.Release();
    EXPECT_FALSE(markup.IsValid());
    EXPECT_FALSE(markup.GetRoot().IsValid());
    EXPECT_EQ(markup.GetElementCount(), 0);
    // A failed load leaves it empty too.
    ASSERT_TRUE(markup.Load("<a/>"));
    EXPECT_FALSE(markup.Load("<a"));
    EXPECT_FALSE(markup.IsValid());
}

TEST(Resource, ResourcePathGetsASeparator) {
    CResourceAccess::SetResourcePath("C:\\skin\\ConifgENRes");
    EXPECT_EQ(CResourceAccess::GetResourcePath(), "C:\\skin\\ConifgENRes\\");
    CResourceAccess::SetResourcePath("skin/");
    EXPECT_EQ(CResourceAccess::GetResourcePath(), "skin/");
    CResourceAccess::SetResourcePath("skin\\");
    EXPECT_EQ(CResourceAccess::GetResourcePath(), "skin\\");
    CResourceAccess::SetResourcePath("");
    EXPECT_EQ(CResourceAccess::GetResourcePath(), "");
    CResourceAccess::SetResourcePath(nullptr);
    EXPECT_EQ(CResourceAccess::GetResourcePath(), "");
}

TEST(Resource, InstancePathAndCompiledResources) {
    CResourceAccess::SetInstance(nullptr);
    EXPECT_EQ(CResourceAccess::GetInstancePath(), "");
    std::string bytes;
    // Numbers that cannot be resource numbers are refused before any lookup.
    EXPECT_FALSE(CResourceAccess::ReadCompiledResource(nullptr, 0, "xml", bytes));
    EXPECT_FALSE(CResourceAccess::ReadCompiledResource(nullptr, 65536, "xml", bytes));
    EXPECT_FALSE(CResourceAccess::ReadCompiledResource(nullptr, 0x7FFFFFFF, "xml", bytes));
    EXPECT_FALSE(CResourceAccess::ReadCompiledResource(nullptr, 100, "xml", bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST(Resource, SkinFilesAndTheirLimits) {
    ScratchFolder folder;
    CResourceAccess::SetResourcePath(folder.Prefix().c_str());

    std::string body = "<Window>";
    body += std::string(kMaxSkinFileBytes - body.size() - 9, ' ');
    body += "</Window>";
    ASSERT_EQ(body.size(), kMaxSkinFileBytes);
    folder.Write("exact.xml", body);
    folder.Write("over.xml", body + " ");
    folder.Write("empty.xml", "");
    folder.Write("bom.xml", "\xEF\xBB\xBF<a x=\"1\"/>");
    folder.Write("plain.xml", "<a x=\"1\"/>");

    CMarkup markup;
    EXPECT_TRUE(markup.LoadFromFile("exact.xml"));
    EXPECT_STREQ(markup.GetRoot().GetName(), "Window");
    EXPECT_FALSE(markup.LoadFromFile("over.xml"));
    EXPECT_STREQ(markup.GetLastErrorMessage(), "File too large");
    EXPECT_STREQ(markup.GetLastErrorLocation(), "");
    EXPECT_FALSE(markup.LoadFromFile("empty.xml"));
    EXPECT_STREQ(markup.GetLastErrorMessage(), "File is empty");
    EXPECT_FALSE(markup.LoadFromFile("missing.xml"));
    EXPECT_STREQ(markup.GetLastErrorMessage(), "Error opening file");
    EXPECT_FALSE(markup.IsValid());

    CMarkup bom, plain;
    ASSERT_TRUE(bom.LoadFromFile("bom.xml"));
    ASSERT_TRUE(plain.LoadFromFile("plain.xml"));
    EXPECT_STREQ(bom.GetRoot().GetName(), plain.GetRoot().GetName());
    EXPECT_STREQ(bom.GetRoot().GetAttributeValue("x"), "1");

    // Images and fonts fall back to the bare name when not under the resource path.
    std::string bytes;
    EXPECT_EQ(CResourceAccess::ReadSkinFile("plain.xml", 100, bytes), FileReadStatus::Ok);
    CResourceAccess::SetResourcePath("no-such-folder/");
    EXPECT_EQ(CResourceAccess::ReadSkinFile(folder.Path("plain.xml").string().c_str(), 100, bytes),
              FileReadStatus::Ok);
    EXPECT_EQ(bytes, "<a x=\"1\"/>");
    EXPECT_EQ(CResourceAccess::ReadSkinFile("plain.xml", 100, bytes), FileReadStatus::OpenFailed);
    CResourceAccess::SetResourcePath("");
}

TEST(Resource, FileSizeIsTakenWhole) {
    // 4 GiB and 100 bytes: a size check on the low 32 bits would see 100 bytes.
    ScratchFolder folder;
    const fs::path huge = folder.Path("huge.xml");
    folder.Write("huge.xml", "<a/>");
    std::error_code error;
    fs::resize_file(huge, (1ull << 32) + 100, error);
    if (error)
        GTEST_SKIP() << "no sparse file: " << error.message();
    CResourceAccess::SetResourcePath(folder.Prefix().c_str());
    CMarkup markup;
    EXPECT_FALSE(markup.LoadFromFile("huge.xml"));
    EXPECT_STREQ(markup.GetLastErrorMessage(), "File too large");
    CResourceAccess::SetResourcePath("");
}

// Figures only: parse speed of a large skin (no assertion on time).
TEST(Markup, ParseSpeed) {
    std::string xml = "<Window>";
    while (xml.size() < 4 * 1024 * 1024 - 200)
        xml += "<Button name=\"button\" text=\"Save &amp; close\" pos=\"10,20,110,50\"/>\n";
    xml += "</Window>";
    const int runs = 5;
    double total = 0;
    int elements = 0;
    for (int i = 0; i < runs; ++i) {
        CMarkup markup;
        auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(markup.LoadFromMem(xml.data(), xml.size()));
        for (CMarkupNode n = markup.GetRoot().GetChild(); n.IsValid(); n = n.GetSibling())
            elements += n.GetAttributeCount() > 0;
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    std::printf("markup: %.1f MB/s, %d elements per document\n",
                runs * double(xml.size()) / (1024 * 1024) / total, elements / runs);
}

#ifdef _WIN32
#include <windows.h>

// Skin files are UTF-8 and the document keeps them so, whatever the system's code page; a
// file that declares GBK is read as GBK.
TEST(Markup, Utf8StaysUtf8AndADeclaredGbkFileIsDecoded) {
    const std::string utf8 = "<a v=\"caf\xc3\xa9 \xe4\xb8\xad\"/>";
    CMarkup markup;
    ASSERT_TRUE(markup.LoadFromMem(utf8.data(), utf8.size()));
    EXPECT_STREQ(markup.GetRoot().GetAttributeValue("v"), "caf\xc3\xa9 \xe4\xb8\xad");
    // "中" in GBK is D6 D0.
    const std::string gbk = "<?xml version=\"1.0\" encoding=\"GBK\"?><a v=\"\xd6\xd0\"/>";
    ASSERT_TRUE(markup.LoadFromMem(gbk.data(), gbk.size()));
    EXPECT_STREQ(markup.GetRoot().GetAttributeValue("v"), "\xe4\xb8\xad");

    // Text given to Load is taken as it is.
    CMarkup raw;
    ASSERT_TRUE(raw.Load("<a v=\"\xe9\"/>"));
    EXPECT_STREQ(raw.GetRoot().GetAttributeValue("v"), "\xe9");
}

TEST(Resource, InstancePathIsTheExecutableFolder) {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string folder = module;
    folder.resize(folder.find_last_of('\\') + 1);
    CResourceAccess::SetInstance(GetModuleHandleA(nullptr));
    EXPECT_EQ(CResourceAccess::GetInstancePath(), folder);
    CResourceAccess::SetInstance(nullptr);
    EXPECT_EQ(CResourceAccess::GetInstancePath(), "");
}
#endif

TEST(Markup, TextStaysUtf8AndAnotherDeclaredEncodingIsNamed) {
    // The markup keeps UTF-8 as it is, whatever the system's code page.
    CMarkup markup;
    const std::string utf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a text=\"\xE6\x9C\x8D\"/>";
    ASSERT_TRUE(markup.LoadFromMem(utf8.data(), utf8.size()));
    EXPECT_STREQ(markup.GetRoot().GetAttributeValue("text"), "\xE6\x9C\x8D");
    EXPECT_EQ(CodePageOfEncoding("GBK"), 936u);
    EXPECT_EQ(CodePageOfEncoding("utf-8"), 65001u);
    EXPECT_EQ(CodePageOfEncoding("x-unknown"), 0u);
    // A declaration naming an encoding nobody knows is refused rather than misread.
    const std::string unknown = "<?xml version=\"1.0\" encoding=\"x-unknown\"?><a/>";
    EXPECT_FALSE(markup.LoadFromMem(unknown.data(), unknown.size()));
}
