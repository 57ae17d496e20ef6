#include "app/Resources.h"

#include "app/GameApp.h"
#include "app/RunGame.h"
#include "framework/resources/ResourceManager.h"
#include "framework/resources/ResourceManifestReader.h"
#include "support/FakeResourceLoader.h"
#include "support/MessageBoxRecorder.h"
#include "support/MissingPictures.h"
#include "support/TempFolder.h"
#include "support/TestGameApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::FakeLoadedImage;
using TestSupport::FakeResourceLoader;
using TestSupport::MissingPictures;
using TestSupport::TempFolder;
using TestSupport::TestGameApp;

std::string ShippedManifest()
{
    std::ifstream file(std::filesystem::path(ORLO_DATA_SOURCE_DIR) / "properties" / "resources.xml");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The shipped manifest without the line that declares id (in the form id="SHORT_NAME").
std::string ManifestWithout(const std::string& attribute)
{
    std::string text = ShippedManifest();
    size_t found = text.find(attribute);
    if (found == std::string::npos)
        return text;
    size_t start = text.rfind('\n', found) + 1;
    size_t end = text.find('\n', found) + 1;
    return text.erase(start, end - start);
}

std::string Describe(const ResourceIdentifier& identifier)
{
    return std::to_string(static_cast<int>(identifier.kind)) + " " + identifier.id;
}

class ResourcesTest : public ::testing::Test
{
protected:
    ResourcesTest()
    {
        ResetResourceIdentifiers();
        auto fake = std::make_unique<FakeResourceLoader>();
        loader = fake.get();
        loader->loadEverything = true;
        manager = std::make_unique<ResourceManager>(std::move(fake));
    }
    ~ResourcesTest() override { ResetResourceIdentifiers(); }

    void ReadManifest(const std::string& text)
    {
        folder.WriteFile("properties/resources.xml", text);
        ASSERT_TRUE(manager->ReadManifest("properties\\resources.xml")) << manager->GetErrorText();
    }

    TempFolder folder;
    FakeResourceLoader* loader = nullptr;
    std::unique_ptr<ResourceManager> manager;
};

TEST_F(ResourcesTest, IdentifierListsHoldEachGroupInBindingOrder)
{
    std::vector<ResourceIdentifier> common = CommonResourceIdentifiers();
    std::vector<ResourceIdentifier> interface = InterfaceResourceIdentifiers();
    auto count = [](const std::vector<ResourceIdentifier>& list, ResourceKind kind)
    { return std::count_if(list.begin(), list.end(), [kind](const ResourceIdentifier& i) { return i.kind == kind; }); };
    EXPECT_EQ(count(common, ResourceKind::Font), 9);
    EXPECT_EQ(count(common, ResourceKind::Image), 11);
    EXPECT_EQ(count(interface, ResourceKind::Image), 103);
    EXPECT_EQ(count(interface, ResourceKind::Sound), 32);
    ASSERT_EQ(common.size(), 20u);
    ASSERT_EQ(interface.size(), 135u);
    EXPECT_STREQ(common.front().id, "FONT_DEFAULT");
    EXPECT_STREQ(common[9].id, "IMAGE_404");
    EXPECT_STREQ(common.back().id, "IMAGE_STROKE");
    EXPECT_STREQ(interface.front().id, "IMAGE_BCH_ADD");
    EXPECT_STREQ(interface[102].id, "IMAGE_W_WARNING");
    EXPECT_STREQ(interface.back().id, "SOUND_WINDOW_MOVE");

    std::set<std::string> unique;
    for (const auto& list : {common, interface})
    {
        for (const ResourceIdentifier& identifier : list)
            EXPECT_TRUE(unique.insert(identifier.id).second) << identifier.id;
    }
}

TEST_F(ResourcesTest, ShippedManifestDeclaresExactlyTheBoundIdentifiers)
{
    ResourceManifest manifest;
    ResourceManifestReader reader;
    ASSERT_TRUE(
        reader.Read((std::filesystem::path(ORLO_DATA_SOURCE_DIR) / "properties" / "resources.xml").string(), manifest))
        << reader.GetErrorText();
    ASSERT_EQ(manifest.groups.size(), 2u);

    auto declared = [&manifest](const std::string& group)
    {
        std::vector<std::string> ids;
        for (const ResourceDeclaration& declaration : manifest.FindGroup(group)->resources)
            ids.push_back(Describe({declaration.kind, declaration.id.c_str()}));
        std::sort(ids.begin(), ids.end());
        return ids;
    };
    auto bound = [](const std::vector<ResourceIdentifier>& list)
    {
        std::vector<std::string> ids;
        for (const ResourceIdentifier& identifier : list)
            ids.push_back(Describe(identifier));
        std::sort(ids.begin(), ids.end());
        return ids;
    };
    ASSERT_NE(manifest.FindGroup("Common"), nullptr);
    ASSERT_NE(manifest.FindGroup("Interface"), nullptr);
    EXPECT_EQ(declared("Common"), bound(CommonResourceIdentifiers()));
    EXPECT_EQ(declared("Interface"), bound(InterfaceResourceIdentifiers()));

    // Every file lies in the folder of its kind.
    for (const ResourceGroup& group : manifest.groups)
    {
        for (const ResourceDeclaration& declaration : group.resources)
        {
            const char* folderOfKind = declaration.kind == ResourceKind::Image   ? "images/"
                                       : declaration.kind == ResourceKind::Sound ? "sounds/"
                                                                                 : "fonts/";
            EXPECT_EQ(declaration.path.rfind(folderOfKind, 0), 0u) << declaration.id << " " << declaration.path;
        }
    }
}

TEST_F(ResourcesTest, BindingFillsEveryVariableOfBothGroups)
{
    ReadManifest(ShippedManifest());
    EXPECT_EQ(IMAGE_STROKE, nullptr);
    EXPECT_EQ(SOUND_CLICK, -1);

    ASSERT_TRUE(manager->LoadGroup("Common"));
    ASSERT_TRUE(BindCommonResources(*manager));
    EXPECT_EQ(FONT_DEFAULT, manager->RequireFont("FONT_DEFAULT")->GetFont());
    EXPECT_EQ(FONT_SMALL_BOLD, manager->RequireFont("FONT_SMALL_BOLD")->GetFont());
    EXPECT_EQ(IMAGE_404, manager->RequireImage("IMAGE_404")->GetImage());
    EXPECT_EQ(IMAGE_STROKE, manager->RequireImage("IMAGE_STROKE")->GetImage());
    EXPECT_EQ(IMAGE_BCH_ADD, nullptr) << "the Interface group is not bound yet";

    ASSERT_TRUE(manager->LoadGroup("Interface"));
    ASSERT_TRUE(BindInterfaceResources(*manager));
    EXPECT_EQ(IMAGE_BCH_ADD, manager->RequireImage("IMAGE_BCH_ADD")->GetImage());
    EXPECT_EQ(IMAGE_W_WARNING, manager->RequireImage("IMAGE_W_WARNING")->GetImage());
    EXPECT_NE(IMAGE_POST_1, IMAGE_POST_2);
    EXPECT_EQ(SOUND_BONUS, manager->RequireSound("SOUND_BONUS"));
    EXPECT_EQ(SOUND_WINDOW_MOVE, 31) << "the 32 sounds take ids 0 to 31 in order";

    SetButtonStripCells(*manager);
    for (const char* strip : {"IMAGE_BLH_SIMPLE", "IMAGE_BLN_SIMPLE", "IMAGE_BRH_SIMPLE", "IMAGE_BRN_SIMPLE",
                              "IMAGE_BCN_ADD", "IMAGE_BCH_ADD", "IMAGE_BRN_DELETE", "IMAGE_BRH_DELETE"})
        EXPECT_EQ(static_cast<FakeLoadedImage&>(*manager->RequireImage(strip)).columns, 3) << strip;
    EXPECT_EQ(static_cast<FakeLoadedImage&>(*manager->RequireImage("IMAGE_BRG_DELETE")).columns, 1);

    ResetResourceIdentifiers();
    EXPECT_EQ(FONT_DEFAULT, nullptr);
    EXPECT_EQ(IMAGE_W_WARNING, nullptr);
    EXPECT_EQ(SOUND_BONUS, -1);
}

TEST_F(ResourcesTest, AMissingIdentifierStopsTheBindingAndIsNamed)
{
    ReadManifest(ManifestWithout("id=\"STROKE\""));
    ASSERT_TRUE(manager->LoadGroup("Common"));
    EXPECT_FALSE(BindCommonResources(*manager));
    EXPECT_EQ(manager->GetErrorText(), "Image resource not found: IMAGE_STROKE");
    // Everything before it is bound, in order.
    EXPECT_NE(FONT_DEFAULT, nullptr);
    EXPECT_NE(FONT_SMALL_BOLD, nullptr);
    EXPECT_NE(IMAGE_404, nullptr);
    EXPECT_NE(IMAGE_PAGES, nullptr);
    EXPECT_EQ(IMAGE_STROKE, nullptr);
}

TEST_F(ResourcesTest, ASoundThatDoesNotLoadFailsTheGroupBeforeAnyBinding)
{
    loader->loadEverything = false;
    loader->AddPicture("images/bch_add", 3, 1);
    ReadManifest(R"(<ResourceManifest><Resources id="Interface">
<Image id="IMAGE_BCH_ADD" path="images/bch_add"/>
<Sound id="SOUND_BONUS" path="sounds/bonus"/>
</Resources></ResourceManifest>)");
    EXPECT_FALSE(manager->LoadGroup("Interface"));
    EXPECT_EQ(manager->GetErrorText(), "Failed to load sound: sounds/bonus");
    EXPECT_EQ(IMAGE_BCH_ADD, nullptr);
}

// ---------------------------------------------------------------------------------------
// Start-up with the resources

class GameAppResourcesTest : public ::testing::Test
{
protected:
    GameAppResourcesTest()
    {
        std::filesystem::copy(ORLO_DATA_SOURCE_DIR, folder.Path(), std::filesystem::copy_options::recursive);
    }
    ~GameAppResourcesTest() override { ResetResourceIdentifiers(); }

    std::unique_ptr<TestGameApp> MakeApp()
    {
        auto app = std::make_unique<TestGameApp>();
        app->SetAppDataFolder((folder / "share").string());
        return app;
    }

    TempFolder folder;
    TestSupport::MessageBoxRecorder boxes;
};

TEST_F(GameAppResourcesTest, StartUpBindsBothGroupsAndShutdownUnloadsThem)
{
    folder.WriteFile("log.txt", "");
    {
        auto app = MakeApp();
        app->Init();
        EXPECT_FALSE(app->isShutdown);
        std::vector<std::string> others = MissingPictures::OtherMessages(boxes.shown, folder.Path());
        EXPECT_TRUE(others.empty()) << others[0];
        EXPECT_TRUE(app->resourceManager->IsGroupLoaded("Common"));
        EXPECT_TRUE(app->resourceManager->IsGroupLoaded("Interface"));
        EXPECT_NE(FONT_SCRIPT, nullptr);
        EXPECT_NE(IMAGE_CUR_POINTER, nullptr);
        EXPECT_NE(SOUND_STAMP, -1);
        EXPECT_EQ(static_cast<FakeLoadedImage&>(*app->resourceManager->RequireImage("IMAGE_BRN_SIMPLE")).columns, 3);
    }
    EXPECT_EQ(IMAGE_CUR_POINTER, nullptr) << "nothing points at unloaded pictures";
    EXPECT_EQ(SOUND_STAMP, -1);
    EXPECT_NE(folder.ReadFile("log.txt").find("Config loaded"), std::string::npos);
}

TEST_F(GameAppResourcesTest, AMissingManifestStopsStartUpWithItsError)
{
    std::filesystem::remove(folder / "properties" / "resources.xml");
    folder.WriteFile("log.txt", "");
    auto app = MakeApp();
    app->Init();
    EXPECT_TRUE(app->isShutdown);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], "FATAL ERROR: Resource file not found: properties\\resources.xml "
                              "in File 'properties\\resources.xml'");
    EXPECT_EQ(folder.ReadFile("log.txt").find("Loading config"), std::string::npos)
        << "nothing after the manifest runs";
    EXPECT_EQ(FONT_DEFAULT, nullptr);
}

TEST_F(GameAppResourcesTest, ABrokenManifestNamesTheLine)
{
    std::string text = ShippedManifest();
    size_t at = text.find("<Image id=\"MASK\" path=\"mask\"/>");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 0, "<Image id=\"SPIN\" path=\"spin\" anim=\"spin\"/>");
    int line = static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n')) + 1;
    folder.WriteFile("properties/resources.xml", text);
    auto app = MakeApp();
    app->Init();
    EXPECT_TRUE(app->isShutdown);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], "FATAL ERROR: Invalid animation type. on Line " + std::to_string(line) +
                                  " in File 'properties\\resources.xml'");
}

TEST_F(GameAppResourcesTest, AGroupThatCannotLoadOrBindStopsStartUp)
{
    {
        auto app = MakeApp();
        app->resourceLoader->loadEverything = false;
        app->Init();
        EXPECT_TRUE(app->isShutdown);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0], "FATAL ERROR: Failed to load font: fonts/default.txt");
        EXPECT_FALSE(app->resourceManager->IsGroupLoaded("Common"));
        app->Start(); // returns at once: the application has shut down
    }
    folder.WriteFile("properties/resources.xml", ManifestWithout("id=\"W_WARNING\""));
    {
        auto app = MakeApp();
        app->Init();
        EXPECT_TRUE(app->isShutdown);
        ASSERT_EQ(boxes.shown.size(), 2u);
        EXPECT_EQ(boxes.shown[1], "FATAL ERROR: Image resource not found: IMAGE_W_WARNING");
        EXPECT_NE(IMAGE_W_SIMPLE, nullptr);
        EXPECT_EQ(IMAGE_W_WARNING, nullptr);
    }
    EXPECT_FALSE(folder.Exists("share/players")) << "no progress was loaded, so none is saved";
}

TEST_F(GameAppResourcesTest, TheGameEndsWithExitCodeZeroOnAResourceError)
{
    std::filesystem::remove(folder / "properties" / "resources.xml");
    EXPECT_EQ(RunGame([] { return std::make_unique<TestGameApp>(); }), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], "FATAL ERROR: Resource file not found: properties\\resources.xml "
                              "in File 'properties\\resources.xml'");
}

} // namespace
} // namespace Vesk
