#pragma once

#include "minigames/MiniGame.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class DDImage;
class Graphics;
class Image;
class MemoryImage;

// The container sorting game: the page picture with a row of containers drawn on it and the
// cargo lying loose on the notes below. The player drags each item into its own container,
// where it fills in; a drop anywhere else on the page costs a try, a drop back on the notes
// costs nothing. Each round has containers and items of its own (one of its containers may be
// a look-alike borrowed from the other round, which nothing fits); a round ends once the page's
// number of items is put away, the last round ends the page.
//
// Its picture set (picture.cfg) names each picture by kind, round digit and container digit:
// "b_..." the background, "c_R?C..." a container, "p_R?C..." a loose item and "m_R?C..." the
// same item put away (offset inside its container), both matched by the name from the fifth
// character on. Container digit 6 on a "c_" line borrows the look-alike.
class MG2 : public MiniGame
{
public:
    static constexpr int kBackButtonId = 32;
    static constexpr int kMaxRounds = 8;
    static constexpr int kMaxContainers = 32;
    static constexpr int kMaxItems = 64;
    // The container slot a borrowed look-alike takes (container digit '6').
    static constexpr int kBorrowedContainer = 5;
    static constexpr int kNotes = 5;

    struct Container
    {
        // The container's own picture; a borrowed one shows another round's (image only).
        std::unique_ptr<DDImage> ownImage;
        Image* image = nullptr;
        int x = 0; // relative to the board
        int y = 0;
        bool defined = false;
    };

    struct Item
    {
        std::string key;
        std::unique_ptr<DDImage> pieceImage;
        std::unique_ptr<DDImage> placedImage;
        int x = 0; // where the loose item is now, screen coordinates
        int y = 0;
        int homeX = 0;
        int homeY = 0;
        int placedX = 0; // offset of the put-away picture inside its container
        int placedY = 0;
        int container = 0;
        // 0 loose, 0.01 .. 1 filling in its container, 1 put away.
        double found = 0;
        // The note the item rests on (it rides with that note's slide).
        int note = 0;
    };

    struct Round
    {
        std::array<Container, kMaxContainers> containers;
        int containerCount = 0;
        std::vector<Item> items;
    };

    explicit MG2(GameApp& app);
    ~MG2() override;

    void LoadPicture(const std::string& dir) override;
    void StartGame(int timeLimitSeconds, int itemCount) override;
    void FreePictures() override;
    void CompleteRound() override;

    void Paint(Graphics& graphics) override;
    void OnPress(int x, int y, int clickCode) override;
    void OnPointerMove(int x, int y) override;
    void OnPointerDrag(int x, int y) override;
    void OnRelease(int x, int y, int clickCode) override;

    // Builds the set from picture.cfg's entries, loading each picture through load (dir +
    // file name in LoadPicture), then shuffles the containers. Every table is emptied first.
    // Lines that name no round, container or kind this game knows are logged and skipped.
    void BuildSet(const std::vector<PictureListEntry>& entries,
                  const std::function<std::unique_ptr<DDImage>(const std::string&)>& load);

    // The rounds this page plays: MiniGame2/rounds within 1..8, and no more than the set has.
    int RoundCount() const { return roundCount; }
    // Items to put away to end round r: the page's number, or all the round has when fewer.
    // 0 when the round has nothing that can be put away (it never ends on its own).
    int NeededInRound(int r) const;
    // The round's items put away completely.
    int PlacedInRound(int r) const;
    // Where container c of round r lies on the screen.
    int ContainerScreenX(int r, int c) const;
    int ContainerScreenY(int r, int c) const;

    std::array<Round, kMaxRounds> rounds;
    std::unique_ptr<DDImage> background;
    // The round change asked for by the last update, made at the start of the next one.
    bool roundChangePending = false;

protected:
    void TickRules(float step) override;
    void CompleteByDebugKey() override;
    const std::string& Objective() const override;
    void PaintPlayArea(Graphics& graphics) override;
    void PaintOnNotes(Graphics& graphics) override;
    int NoteCount() const override { return kNotes; }
    // The five notes and the panel slide in six stages over the second half of the list slide.
    double SlideStage(double slide) const override { return (slide - 0.5) * 12; }
    int PanelStage() const override { return kNotes; }

private:
    void ClearSet();
    void AddContainer(const PictureListEntry& entry, int r, int c,
                      const std::function<std::unique_ptr<DDImage>(const std::string&)>& load);
    void BorrowContainer(const PictureListEntry& entry, int r);
    void AddItemPicture(const PictureListEntry& entry, int r, bool placed,
                        const std::function<std::unique_ptr<DDImage>(const std::string&)>& load);
    void ShuffleContainers(Round& round);
    void AssignNotes();
    void CountRounds();
    bool CanBePlaced(const Round& round, const Item& item) const;

    void StartRoundChange();
    void ReturnLooseItems(float step);
    void FillPlacedItems(float step);
    void CheckRoundComplete();
    bool IsFreeDrop(int x, int y) const;

    void PaintContainersAndPlaced(Graphics& graphics, int offsetX, int offsetY, bool withFills);
    void PaintBlurred(Graphics& graphics, double blur);
    // The smeared pictures the blur blends, made again when the round or its placed items change.
    void PrepareBlur();
    uint64_t PlacedMask() const;

    int roundCount = 1;

    // The page-turn blur's pictures: the background's smear (made once per set) and the
    // containers with the items put away, sharp and smeared, at (objectsX, objectsY) on the board.
    std::unique_ptr<MemoryImage> backgroundSmear;
    std::unique_ptr<MemoryImage> objects;
    std::unique_ptr<MemoryImage> objectsSmear;
    int objectsX = 0;
    int objectsY = 0;
    bool backgroundSmearMade = false;
    bool objectsMade = false;
    int objectsRound = -1;
    uint64_t objectsPlaced = 0;
};

} // namespace Vesk
