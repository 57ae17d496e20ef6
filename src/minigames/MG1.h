#pragma once

#include "minigames/MiniGame.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class DDImage;

// The piece matching game: three rounds, each a picture with empty outlines and the torn pieces
// that fit them lying on the notes below. The player drags a piece onto its own outline, which
// then fills in; a drop anywhere else costs a try (except on the first note, where a piece may be
// put down for free). Once the page's number of pieces is placed, the notes slide away, the
// picture slides out and the next round's slides in; after the third round the page is done.
//
// The picture set (LoadPicture) names each picture by its file name: "b1_..." the background of
// round 1, "d1_key" the filled-in outline of piece key, "p1_key" the loose piece (digits 1 to 3).
class MG1 : public MiniGame
{
public:
    static constexpr int kBackButtonId = 31;
    static constexpr int kRounds = 3;
    static constexpr int kMaxPieces = 64;
    // The notes the loose pieces rest on.
    static constexpr int kNotes = 8;

    // One piece of a round: its outline on the picture and the loose piece that fills it.
    struct Piece
    {
        std::string key;
        std::unique_ptr<DDImage> outlineImage;
        int outlineX = 0; // relative to the board
        int outlineY = 0;
        std::unique_ptr<DDImage> pieceImage;
        int homeX = 0; // screen coordinates, after shuffling
        int homeY = 0;
        int x = 0;
        int y = 0;
        int slot = 0;     // the note the piece rests on (its draw order and slide)
        double found = 0; // 0 loose, 0.01 .. 1 filling in, 1 placed
    };

    struct Round
    {
        std::unique_ptr<DDImage> background;
        std::vector<Piece> pieces;
    };

    explicit MG1(GameApp& app);
    ~MG1() override;

    // Reads dir + "picture.cfg" and its pictures, replacing the previous set. Lines that name no
    // round or kind of picture, pieces beyond kMaxPieces and pieces missing their outline or their
    // loose picture are left out with a log line; the rest of the set still plays.
    void LoadPicture(const std::string& dir) override;
    void StartGame(int timeLimitSeconds, int itemCount) override;
    // The current round's picture with its placed pieces, for the camera zoom.
    void BuildSnapshot() override;
    void FreePictures() override;
    void CompleteRound() override;

    void Paint(Graphics& graphics) override;
    void OnPress(int x, int y, int code) override;
    void OnRelease(int x, int y, int code) override;
    void OnPointerDrag(int x, int y) override;
    void OnPointerMove(int x, int y) override;

    const Round& CurrentRound() const { return rounds[size_t(round)]; }
    const Round& RoundAt(int index) const { return rounds[size_t(std::clamp(index, 0, kRounds - 1))]; }
    // Pieces to place in the current round: the page's count, at most the pieces the round has;
    // every piece of the round when the page gives no count. 0: the round cannot be played.
    int RequiredInRound() const;
    // Pieces of the current round placed and filled in.
    int PlacedInRound() const;

protected:
    void TickRules(float step) override;
    void CompleteByDebugKey() override;
    bool ReadyToOpen() override;
    const std::string& Objective() const override;
    void PaintPlayArea(Graphics& graphics) override;
    void PaintOnNotes(Graphics& graphics) override;
    int NoteCount() const override { return kNotes; }

private:
    void ClearSet();
    void AddPicture(const std::string& dir, const PictureListEntry& entry);
    void DropIncompletePieces();
    void ShufflePieces();
    void ResetPieces();

    void StepRoundChange(float step);
    void ReturnLoosePieces(float step);
    void FillPlacedPieces(float step);
    void CheckRoundComplete();
    void NextRound();
    void FinishPieces();

    Piece* HeldPiece();
    bool AcceptsPointer() const;
    void MoveHeldPiece(int x, int y);
    bool OnFreeNote(int x, int y) const;

    // Where the round's picture lies during a round change (moving out downwards, then the next
    // one sliding in from the left).
    int BackgroundShiftX() const;
    int BackgroundShiftY() const;
    void PaintPicture(Graphics& graphics, int x, int y, bool placedOnly);

    Round& Current() { return rounds[size_t(round)]; }
    // The round change's length in step units (MiniGame1/RANIM).
    int RoundChangeLength() const;

    std::array<Round, kRounds> rounds;
};

} // namespace Vesk
