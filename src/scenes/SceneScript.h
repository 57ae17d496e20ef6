#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace Vesk
{

// Reading of Orlo's scene scripts ("scenes/*.scr"), apart from the player that shows them, so
// that a content tool can check a script without a game: which files an event plays, the script
// text with the file and line of every position, the bracketed commands with their parameters
// and the messages a player would be shown, and the reading loop (typing, line breaks, if, goto,
// variables) that acts on a SceneStage.
//
// A script is plain text. Every character outside brackets is typed into the text of the
// speaking character; "[" + command + "]" is a command. Inside a command tabs, character 7 and
// commas separate like spaces.

// Where a position of the script text came from: the file and its line (1-based).
struct SceneLocation
{
    std::string file;
    int line = 0;
};

// A message the player shows in a "Scene error" box, with where it arose.
struct SceneMessage
{
    std::string text;
    SceneLocation where;
};

// The commands of the script language. Unknown command texts are Unknown (ignored by the player);
// a text starting with anything but a to z or "_" that names no command is an Expression.
enum class SceneOp
{
    Unknown,
    Expression,
    New,
    Wait,
    Ask,
    Drop,
    NoButtons,
    IgnoreClicks,
    DontIgnoreClicks,
    ShowCursor,
    Playtime,
    CheckFile,
    If,
    Endif,
    Goto,
    Typing,
    Pause,
    WaitPause,
    Choose,
    Char,
    In,
    Out,
    Anim,
    Swap,
    Move,
    Slide,
    DropName,
    Color,
    Window,
    Frame,
    Bkg,
    Img,
    Btn,
    Snd,
    Load,
    Temp,
    LoadMusic,
    PlayMusic,
    LoadSound,
    PlaySound,
    NoMusic,
    NoSound,
    IntVar,
    RealVar,
    StringVar,
    LineBreak,
    LineSpacing,
    FadeFromWhite,
    FadeFromBlack,
    FadeFromNothing,
    FadeToWhite,
    FadeToBlack,
    FadeToNothing,
    SetBackground,
    DragPage,
    DropPage,
    Round,
};

// One parameter as read: the integer and real values (0 when not a number) and the word.
struct SceneParam
{
    int integer = 0;
    double real = 0;
    std::string word;
};

// A command as read from the script: its prepared text (with the closing "]"), its leading word,
// what it is and its parameters, defaults filled in for optional ones left out.
struct SceneCommand
{
    static constexpr int kMaxParams = 8;

    SceneOp op = SceneOp::Unknown;
    std::string text;
    std::string name;
    std::array<SceneParam, kMaxParams> params{};
    int paramCount = 0;
    // Position of the "[" in the script text.
    size_t position = 0;

    int Int(int index) const { return params[size_t(index)].integer; }
    double Real(int index) const { return params[size_t(index)].real; }
    const std::string& Word(int index) const { return params[size_t(index)].word; }
};

// The script text of one play: the files appended one after the other, each line ending in
// CR LF, with the file and line every position came from.
class SceneScript
{
public:
    // The files an event plays: main, and appended after it when its condition holds ("open":
    // the page's tutorial the first time; "intro": the intro while it is pending). N in the
    // names is pageNumber (the current page + 1); "newtri" uses setNumber.
    struct EventFiles
    {
        std::string main;
        std::string appended;
    };
    static EventFiles FilesForEvent(const std::string& event, int pageNumber, int setNumber);

    void Clear();
    // Appends a file's content: every line (split at LF, a CR before it dropped) then CR LF.
    void AppendFile(const std::string& name, const std::string& content);
    const std::string& Text() const { return text; }
    bool Empty() const { return text.empty(); }
    SceneLocation Where(size_t position) const;

    // The command text from the "[" at position up to and including the next "]", prepared:
    // tabs, character 7 and commas become spaces and runs of spaces collapse. On return end is
    // just past the "]". A "[" before the "]" or the end of the text without one makes a message
    // (the command is then read up to there).
    bool ReadCommandText(size_t position, std::string& prepared, size_t& end, std::string& message) const;
    // The leading word and parameters of a prepared command text, the command it names and the
    // values of its parameters. Messages for missing or malformed parameters are added to
    // messages; their values are 0.
    static SceneCommand ParseCommand(const std::string& prepared, std::vector<std::string>& messages);
    // Reads the command at position (see ReadCommandText and ParseCommand); end is past it.
    SceneCommand ReadCommand(size_t position, size_t& end, std::vector<SceneMessage>& messages) const;

    // The position just past the next endif command at or after position; npos without one.
    size_t FindEndif(size_t position) const;
    // The position of the last "[" + label in the text; npos without one.
    size_t FindLabel(const std::string& label) const;

private:
    struct LineStart
    {
        size_t offset;
        int file;
        int line;
    };
    std::string text;
    std::vector<std::string> files;
    std::vector<LineStart> lines;
};

// What a script acts on while it is read: the scene player in the game, a recorder in a tool.
class SceneStage
{
public:
    virtual ~SceneStage() = default;
    virtual void ShowMessage(const SceneMessage& message) = 0;
    // Appends to the current character's text; nothing without one.
    virtual void TypeText(const std::string& text) = 0;
    // Whether the current character has a text box width and " " + word would start a new line
    // of its text.
    virtual bool WordStartsNewLine(const std::string& word) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    // Everything the reader does not do itself (all but if, endif, goto, typing, check_file and
    // the variables). The reader has already applied what it owns of new ([new] resets the
    // typing delay).
    virtual void Execute(const SceneCommand& command) = 0;
};

// The reading position in a script and the state the language itself keeps: typing delay,
// characters since the last line break, the answer and the variables. One Step reads one
// character or command.
class SceneReader
{
public:
    static constexpr int kVariables = 32;
    static constexpr int kStartTypingDelay = 40;

    enum class StepResult
    {
        // A character was typed: the next step waits for the typing delay.
        Typed,
        // A command, a skipped line break or tab: no typing time.
        Free,
        End,
    };

    // Back to the start of script with the state of a new scene (the variables are kept).
    void Start();
    StepResult Step(SceneStage& stage);
    bool AtEnd() const { return position >= script.Text().size(); }

    SceneScript script;
    size_t position = 0;
    int typingDelay = kStartTypingDelay;
    int charsOnLine = 0;
    std::string answer;
    std::array<int, kVariables> intVars{};
    std::array<double, kVariables> realVars{};
    std::array<std::string, kVariables> stringVars{};

    // "%f" with the trailing zeros removed (a trailing point stays).
    static std::string FormatReal(double value);

private:
    void ShowAt(SceneStage& stage, const std::string& text, size_t at) const;
    // The word after a space at position: letters a to z, A to Z and ! ' , - . : ; ?
    std::string WordAt(size_t start) const;
    StepResult LineBreak(SceneStage& stage, char c);
    void RunCommand(SceneStage& stage, const SceneCommand& command);
    void AppendVariable(SceneStage& stage, const SceneCommand& command);
};

} // namespace Vesk
