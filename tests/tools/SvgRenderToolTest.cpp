// The SVG renderer of the content build: whole documents, cropped elements with their
// bounds, hidden elements, cell strips, and loud failures for broken input.
#include "svgrender/SvgRenderTool.h"

#include "support/TempFolder.h"
#include "svgrender/SvgRenderer.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::TempFolder;

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kPaper = 0xFFEEDDCC;

// A 40 x 20 page: paper, a red apple (a 10 x 10 square placed through a transform), a blue
// key, and two button looks drawn on top of each other.
const char* const kPage = R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="40" height="20">
  <!-- <g id="obj-99_in_a_comment"/> -->
  <rect width="40" height="20" fill="#eeddcc"/>
  <g id="obj-01_apple" transform="translate(20,4)"><rect width="10" height="10" fill="#ff0000"/></g>
  <rect id="obj-02_key" x="2" y="12" width="6" height="4" fill="#0000ff"/>
  <rect id="button-up" x="32" y="2" width="4" height="2" fill="#00ff00"/>
  <rect id="button-down" x="32" y="3" width="6" height="4" fill="#0000ff"/>
  <g id="nothing"/>
</svg>
)svg";

struct Result
{
    int code = 0;
    std::string out;
    std::string err;
};

Result RunTool(const std::vector<std::string>& arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    SvgRenderTool tool(out, err);
    Result result;
    result.code = tool.Run(arguments);
    result.out = out.str();
    result.err = err.str();
    return result;
}

// Reads a PNG back; width and height 0 when it cannot be read.
struct Png
{
    int width = 0;
    int height = 0;
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface{nullptr, cairo_surface_destroy};

    explicit Png(const std::string& file)
    {
        surface.reset(cairo_image_surface_create_from_png(file.c_str()));
        if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
            return;
        width = cairo_image_surface_get_width(surface.get());
        height = cairo_image_surface_get_height(surface.get());
    }
    uint32_t Pixel(int x, int y) const
    {
        const unsigned char* data = cairo_image_surface_get_data(surface.get());
        return reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(surface.get()))[x];
    }
};

TEST(SvgRenderToolTest, WholeDocumentAtNaturalAndGivenSizes)
{
    SvgRenderer renderer;
    ASSERT_TRUE(renderer.LoadText(kPage, "page.svg")) << renderer.ErrorText();
    std::optional<SvgImage> natural = renderer.RenderDocument();
    ASSERT_TRUE(natural);
    EXPECT_EQ(natural->Width(), 40);
    EXPECT_EQ(natural->Height(), 20);
    EXPECT_EQ(natural->PixelAt(0, 0), kPaper);
    EXPECT_EQ(natural->PixelAt(25, 9), kRed);
    EXPECT_EQ(natural->PixelAt(4, 13), kBlue);

    renderer.SetViewport(80, 40);
    std::optional<SvgImage> doubled = renderer.RenderDocument();
    ASSERT_TRUE(doubled);
    EXPECT_EQ(doubled->Width(), 80);
    EXPECT_EQ(doubled->PixelAt(41, 9), kRed);
    EXPECT_EQ(doubled->PixelAt(59, 27), kRed);
    EXPECT_EQ(doubled->PixelAt(61, 29), kPaper);

    ASSERT_TRUE(renderer.SetViewportWidth(20));
    int width = 0;
    int height = 0;
    ASSERT_TRUE(renderer.Viewport(width, height));
    EXPECT_EQ(width, 20);
    EXPECT_EQ(height, 10);

    // Through the command line, written as a PNG file.
    TempFolder folder;
    folder.WriteFile("page.svg", kPage);
    Result result = RunTool({"render", "page.svg", "out/page.png", "--scale", "1.5"});
    ASSERT_EQ(result.code, 0) << result.err;
    Png png("out/page.png");
    EXPECT_EQ(png.width, 60);
    EXPECT_EQ(png.height, 30);
}

TEST(SvgRenderToolTest, DocumentWithOnlyAViewBoxUsesItsSize)
{
    SvgRenderer renderer;
    ASSERT_TRUE(renderer.LoadText(
        R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 30 12"><rect width="30" height="12"/></svg>)",
        "box.svg"));
    double width = 0;
    double height = 0;
    ASSERT_TRUE(renderer.NaturalSize(width, height));
    EXPECT_EQ(width, 30);
    EXPECT_EQ(height, 12);
}

TEST(SvgRenderToolTest, ElementIsCroppedToItsBoundsInPlace)
{
    SvgRenderer renderer;
    ASSERT_TRUE(renderer.LoadText(kPage, "page.svg"));
    SvgPixelRect bounds;
    std::optional<SvgImage> apple = renderer.RenderElement("obj-01_apple", bounds);
    ASSERT_TRUE(apple) << renderer.ErrorText();
    EXPECT_EQ(bounds.x, 20);
    EXPECT_EQ(bounds.y, 4);
    EXPECT_EQ(bounds.width, 10);
    EXPECT_EQ(bounds.height, 10);
    EXPECT_EQ(apple->Width(), 10);
    EXPECT_EQ(apple->Height(), 10);
    EXPECT_EQ(apple->PixelAt(0, 0), kRed);
    EXPECT_EQ(apple->PixelAt(9, 9), kRed);

    // The same element at twice the size: bounds and crop scale with the document.
    renderer.SetViewport(80, 40);
    ASSERT_TRUE(renderer.ElementBounds("#obj-01_apple", bounds));
    EXPECT_EQ(bounds.x, 40);
    EXPECT_EQ(bounds.y, 8);
    EXPECT_EQ(bounds.width, 20);
    EXPECT_EQ(bounds.height, 20);

    // An edge between pixels widens the crop to the pixels it touches.
    SvgRenderer half;
    ASSERT_TRUE(half.LoadText(R"(<svg xmlns="http://www.w3.org/2000/svg" width="20" height="20">
        <rect id="a" x="3.5" y="2" width="4" height="3" fill="#000"/></svg>)",
                              "half.svg"));
    ASSERT_TRUE(half.ElementBounds("a", bounds));
    EXPECT_EQ(bounds.x, 3);
    EXPECT_EQ(bounds.width, 5);
    EXPECT_EQ(bounds.height, 3);

    // Through the command line: the crop's place is printed and written to the bounds file.
    TempFolder folder;
    folder.WriteFile("page.svg", kPage);
    Result result = RunTool({"element", "page.svg", "obj-02_key", "key.png", "--bounds-file", "key.txt"});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, "2 12 6 4\n");
    EXPECT_EQ(folder.ReadFile("key.txt"), "2 12 6 4\n");
    Png png("key.png");
    EXPECT_EQ(png.width, 6);
    EXPECT_EQ(png.height, 4);
}

TEST(SvgRenderToolTest, HiddenElementsLeaveTheBackground)
{
    SvgRenderer renderer;
    ASSERT_TRUE(renderer.LoadText(kPage, "page.svg"));
    ASSERT_TRUE(renderer.SetHidden({"obj-01_apple", "#obj-02_key"})) << renderer.ErrorText();
    std::optional<SvgImage> background = renderer.RenderDocument();
    ASSERT_TRUE(background);
    EXPECT_EQ(background->PixelAt(25, 9), kPaper);
    EXPECT_EQ(background->PixelAt(4, 13), kPaper);
    EXPECT_EQ(background->PixelAt(33, 2), kGreen); // not hidden

    // A hidden element draws nothing when asked for alone.
    SvgPixelRect bounds;
    EXPECT_FALSE(renderer.ElementBounds("obj-01_apple", bounds));
    EXPECT_NE(renderer.ErrorText().find("draws nothing"), std::string::npos) << renderer.ErrorText();

    // Hiding an id the document does not have is a mistake worth stopping for.
    EXPECT_FALSE(renderer.SetHidden({"obj-03_pear"}));
    EXPECT_EQ(renderer.ErrorText(), "page.svg: no element with the id \"obj-03_pear\"");

    TempFolder folder;
    folder.WriteFile("page.svg", kPage);
    Result result = RunTool({"render", "page.svg", "bg.png", "--hide", "obj-01_apple"});
    ASSERT_EQ(result.code, 0) << result.err;
    Png png("bg.png");
    ASSERT_EQ(png.width, 40);
    EXPECT_EQ(png.Pixel(25, 9), kPaper);
    EXPECT_EQ(png.Pixel(4, 13), kBlue);
}

// A document that links to a built picture by file name finds it in the --linked-from folder
// rather than beside itself (the contents stamps crop the rendered page faces this way).
TEST(SvgRenderToolTest, LinkedPicturesAreReadFromTheGivenFolder)
{
    TempFolder folder;
    folder.WriteFile("art/stamp.svg", R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="40" height="20">
  <image href="face.png" x="0" y="0" width="40" height="20"/>
</svg>
)svg");
    folder.WriteFile("built/page.svg", kPage);
    ASSERT_EQ(RunTool({"render", "built/page.svg", "built/face.png"}).code, 0);

    Result result = RunTool({"render", "art/stamp.svg", "stamp.png", "--linked-from", "built"});
    ASSERT_EQ(result.code, 0) << result.err;
    Png stamp("stamp.png");
    ASSERT_EQ(stamp.width, 40);
    EXPECT_EQ(stamp.Pixel(25, 9), kRed);
    EXPECT_EQ(stamp.Pixel(4, 13), kBlue);

    // Without the folder the link is looked for beside the document, where there is none.
    result = RunTool({"render", "art/stamp.svg", "alone.png"});
    if (result.code == 0)
    {
        EXPECT_NE(Png("alone.png").Pixel(25, 9), kRed);
    }
}

TEST(SvgRenderToolTest, SheetCellsByAlignment)
{
    SvgRenderer renderer;
    ASSERT_TRUE(renderer.LoadText(kPage, "page.svg"));
    const std::vector<std::string> ids = {"button-up", "button-down"}; // 4 x 2 at (32,2), 6 x 4 at (32,3)

    SheetLayout layout;
    std::optional<SvgImage> centred = renderer.RenderSheet(ids, SheetAlign::Center, layout);
    ASSERT_TRUE(centred) << renderer.ErrorText();
    EXPECT_EQ(layout.cellWidth, 6);
    EXPECT_EQ(layout.cellHeight, 4);
    EXPECT_EQ(layout.count, 2);
    EXPECT_EQ(centred->Width(), 12);
    EXPECT_EQ(centred->Height(), 4);
    EXPECT_EQ(centred->PixelAt(0, 1), 0u);     // left of the centred 4 x 2 look
    EXPECT_EQ(centred->PixelAt(1, 1), kGreen); // centred: x 1..4, y 1..2
    EXPECT_EQ(centred->PixelAt(1, 0), 0u);
    EXPECT_EQ(centred->PixelAt(6, 0), kBlue); // the second cell starts at x 6
    EXPECT_EQ(centred->PixelAt(11, 3), kBlue);

    std::optional<SvgImage> bottom = renderer.RenderSheet(ids, SheetAlign::Bottom, layout);
    ASSERT_TRUE(bottom);
    EXPECT_EQ(bottom->PixelAt(1, 3), kGreen);
    EXPECT_EQ(bottom->PixelAt(1, 1), 0u);

    // Stacked: cells as large as both looks together, each look where the document has it.
    std::optional<SvgImage> stacked = renderer.RenderSheet(ids, SheetAlign::Stacked, layout);
    ASSERT_TRUE(stacked);
    EXPECT_EQ(layout.cellWidth, 6);
    EXPECT_EQ(layout.cellHeight, 5); // y 2..6
    EXPECT_EQ(stacked->PixelAt(0, 0), kGreen);
    EXPECT_EQ(stacked->PixelAt(4, 0), 0u);
    EXPECT_EQ(stacked->PixelAt(6, 0), 0u); // the lower look starts one row down
    EXPECT_EQ(stacked->PixelAt(6, 1), kBlue);

    TempFolder folder;
    folder.WriteFile("page.svg", kPage);
    Result result = RunTool({"sheet", "page.svg", "button.png", "button-up", "button-down", "button-up"});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, "6 4 3\n");
    EXPECT_EQ(Png("button.png").width, 18);
}

TEST(SvgRenderToolTest, ElementIdsAndBoundsInFileOrder)
{
    SvgRenderer renderer;
    ASSERT_TRUE(renderer.LoadText(kPage, "page.svg"));
    EXPECT_EQ(renderer.ElementIds("obj-"), (std::vector<std::string>{"obj-01_apple", "obj-02_key"}));
    EXPECT_EQ(renderer.ElementIds("button-"), (std::vector<std::string>{"button-up", "button-down"}));

    TempFolder folder;
    folder.WriteFile("page.svg", kPage);
    Result result = RunTool({"bounds", "page.svg", "--prefix", "obj-", "--size", "80x40"});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, "obj-01_apple 40 8 20 20\nobj-02_key 4 24 12 8\n");
}

TEST(SvgRenderToolTest, SameInputGivesTheSameBytes)
{
    TempFolder folder;
    folder.WriteFile("page.svg", kPage);
    ASSERT_EQ(RunTool({"render", "page.svg", "a.png", "--size", "123x61"}).code, 0);
    ASSERT_EQ(RunTool({"render", "page.svg", "b.png", "--size", "123x61"}).code, 0);
    ASSERT_EQ(RunTool({"sheet", "page.svg", "c.png", "button-up", "obj-01_apple", "--align", "bottom"}).code, 0);
    ASSERT_EQ(RunTool({"sheet", "page.svg", "d.png", "button-up", "obj-01_apple", "--align", "bottom"}).code, 0);
    EXPECT_FALSE(folder.ReadFile("a.png").empty());
    EXPECT_EQ(folder.ReadFile("a.png"), folder.ReadFile("b.png"));
    EXPECT_EQ(folder.ReadFile("c.png"), folder.ReadFile("d.png"));
}

TEST(SvgRenderToolTest, BrokenInputFailsLoudlyAndWritesNothing)
{
    TempFolder folder;
    folder.WriteFile("broken.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"><rect");
    folder.WriteFile("empty.svg", "");
    folder.WriteFile("html.svg", "<html><body/></html>");
    folder.WriteFile("page.svg", kPage);

    for (const char* file : {"broken.svg", "empty.svg", "html.svg", "missing.svg"})
    {
        Result result = RunTool({"render", file, "out.png"});
        EXPECT_EQ(result.code, 1) << file;
        EXPECT_EQ(result.err.rfind(std::string("svgrender: ") + file + ": ", 0), 0u) << result.err;
        EXPECT_FALSE(folder.Exists("out.png")) << file;
    }

    Result missingId = RunTool({"element", "page.svg", "obj-77_ghost", "out.png"});
    EXPECT_EQ(missingId.code, 1);
    EXPECT_EQ(missingId.err, "svgrender: page.svg: no element with the id \"obj-77_ghost\"\n");
    Result empty = RunTool({"element", "page.svg", "nothing", "out.png"});
    EXPECT_EQ(empty.code, 1);
    EXPECT_NE(empty.err.find("\"nothing\" draws nothing"), std::string::npos) << empty.err;
    EXPECT_FALSE(folder.Exists("out.png"));

    // Usage mistakes: exit code 2 with the usage text.
    EXPECT_EQ(RunTool({}).code, 2);
    EXPECT_EQ(RunTool({"paint", "page.svg", "out.png"}).code, 2);
    EXPECT_EQ(RunTool({"render", "page.svg"}).code, 2);
    EXPECT_EQ(RunTool({"render", "page.svg", "out.png", "--size", "12"}).code, 2);
    EXPECT_EQ(RunTool({"render", "page.svg", "out.png", "--scale", "-1"}).code, 2);
    EXPECT_EQ(RunTool({"sheet", "page.svg", "out.png", "button-up", "--align", "left"}).code, 2);
    EXPECT_EQ(RunTool({"render", "page.svg", "out.png", "--hide"}).code, 2);
    Result tooLarge = RunTool({"render", "page.svg", "out.png", "--size", "100000x10"});
    EXPECT_EQ(tooLarge.code, 1);
    EXPECT_NE(tooLarge.err.find("out of range"), std::string::npos) << tooLarge.err;
    EXPECT_FALSE(folder.Exists("out.png"));
}

} // namespace
} // namespace Vesk
