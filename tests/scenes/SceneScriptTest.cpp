// Reading scene scripts without a player: command text, parameters and their messages, the
// reading loop's line breaks, if, goto and variables, and the file and line of every message.
#include "scenes/SceneScript.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

// Records what a script does to the stage.
class RecordingStage : public SceneStage
{
public:
    void ShowMessage(const SceneMessage& message) override { messages.push_back(message); }
    void TypeText(const std::string& text) override { typed += text; }
    bool WordStartsNewLine(const std::string& word) override { return breakBefore.count(word) > 0; }
    bool FileExists(const std::string& path) override { return existing.count(path) > 0; }
    void Execute(const SceneCommand& command) override { commands.push_back(command); }

    std::vector<SceneMessage> messages;
    std::string typed;
    std::set<std::string> breakBefore;
    std::set<std::string> existing;
    std::vector<SceneCommand> commands;
};

SceneReader ReaderOf(const std::string& text)
{
    SceneReader reader;
    reader.script.AppendFile("scenes/test.scr", text);
    reader.Start();
    return reader;
}

// Reads to the end; the results of every step in order.
std::vector<SceneReader::StepResult> ReadAll(SceneReader& reader, RecordingStage& stage)
{
    std::vector<SceneReader::StepResult> results;
    for (int guard = 0; guard < 10000; ++guard)
    {
        results.push_back(reader.Step(stage));
        if (results.back() == SceneReader::StepResult::End)
            break;
    }
    return results;
}

SceneCommand Parse(const std::string& prepared, std::vector<std::string>& messages)
{
    return SceneScript::ParseCommand(prepared, messages);
}

TEST(SceneScript, CommandsAreReadWithTheirParametersAndMessages)
{
    std::vector<std::string> messages;
    // Commas and tabs separate like spaces.
    SceneCommand spaced = Parse("move bob 10 20 5.5]", messages);
    SceneScript script;
    script.AppendFile("x.scr", "[move bob,10,\t20 , 5.5]");
    size_t end = 0;
    std::vector<SceneMessage> located;
    SceneCommand commas = script.ReadCommand(0, end, located);
    EXPECT_EQ(commas.op, SceneOp::Move);
    EXPECT_EQ(commas.text, "move bob 10 20 5.5]");
    EXPECT_EQ(commas.Word(0), spaced.Word(0));
    EXPECT_EQ(commas.Int(1), 10);
    EXPECT_EQ(commas.Int(2), 20);
    EXPECT_DOUBLE_EQ(commas.Real(3), 5.5);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(located.empty());

    // A bad or missing number is 0 and says so; the command still is that command.
    EXPECT_EQ(Parse("pause 5o0]", messages).op, SceneOp::Pause);
    EXPECT_EQ(Parse("pause 5o0]", messages).Int(0), 0);
    EXPECT_EQ(Parse("FFW 1x]", messages).Real(0), 0);
    Parse("typing]", messages);
    Parse("swap bob]", messages);
    EXPECT_EQ(messages, (std::vector<std::string>{"Parameter should be integer.", "Parameter should be integer.",
                                                  "Parameter should be double.",
                                                  "Some command was not supplied with the necessary parameter.",
                                                  "Some command was not supplied with the necessary parameter"}));

    // Optional trailing parameters take their defaults silently.
    messages.clear();
    SceneCommand button = Parse("btn images/ok 10 20]", messages);
    EXPECT_EQ(button.Word(3), "ok");
    EXPECT_EQ(button.Int(4), 1);
    EXPECT_EQ(button.Int(5), 1);
    EXPECT_EQ(Parse("img images/sun 1 2]", messages).Int(5), 1000);
    EXPECT_EQ(Parse("color 10 20 30]", messages).Int(3), 255);
    EXPECT_TRUE(messages.empty());

    // With and without parameters, listed commands before expressions.
    EXPECT_EQ(Parse("wait]", messages).op, SceneOp::Wait);
    EXPECT_EQ(Parse("wait 300]", messages).op, SceneOp::WaitPause);
    EXPECT_EQ(Parse("drop]", messages).op, SceneOp::Drop);
    EXPECT_EQ(Parse("drop sun]", messages).op, SceneOp::DropName);
    EXPECT_EQ(Parse("FTN 100]", messages).op, SceneOp::FadeToNothing);
    EXPECT_EQ(Parse("SBG]", messages).op, SceneOp::SetBackground);
    EXPECT_EQ(Parse(":-)]", messages).op, SceneOp::Expression);
    EXPECT_EQ(Parse("label]", messages).op, SceneOp::Unknown);
}

TEST(SceneScript, MessagesNameTheFileAndLine)
{
    SceneReader reader;
    reader.script.AppendFile("scenes/a.scr", "Hello\r\n");
    reader.script.AppendFile("scenes/b.scr", "one\ntwo [pause x]\n[if yes]never\n[x [y]\n[open");
    RecordingStage stage;
    ReadAll(reader, stage);
    ASSERT_EQ(stage.messages.size(), 4u);
    EXPECT_EQ(stage.messages[0].text, "Parameter should be integer.");
    EXPECT_EQ(stage.messages[0].where.file, "scenes/b.scr");
    EXPECT_EQ(stage.messages[0].where.line, 2);
    EXPECT_EQ(stage.messages[1].text, "An 'if' does not have a coresponding 'endif'.");
    EXPECT_EQ(stage.messages[1].where.line, 3);
    EXPECT_EQ(stage.messages[2].text, "Command enclosure is not allowed");
    EXPECT_EQ(stage.messages[2].where.line, 4);
    EXPECT_EQ(stage.messages[3].text, "Script ended within '[]'");
    EXPECT_EQ(stage.messages[3].where.line, 5);
    // Without an endif the if reads on.
    EXPECT_NE(stage.typed.find("never"), std::string::npos);
}

TEST(SceneScript, LineBreaksTakeTimeOnlyAfterText)
{
    SceneReader reader = ReaderOf("Hi\n\n\t\nthere you");
    RecordingStage stage;
    stage.breakBefore = {"you"};
    std::vector<SceneReader::StepResult> results = ReadAll(reader, stage);
    // Two line breaks in a row make one; the space before a word that would not fit breaks.
    EXPECT_EQ(stage.typed, "Hi\r\nthere\r\nyou\r\n");
    using R = SceneReader::StepResult;
    // H i CR LF, then the empty line and the tab cost nothing.
    std::vector<R> expectedStart = {R::Typed, R::Typed, R::Typed, R::Typed, R::Free, R::Free, R::Free, R::Free};
    EXPECT_EQ(std::vector<R>(results.begin(), results.begin() + 8), expectedStart);
}

TEST(SceneScript, IfAfterCheckFileAndGoto)
{
    SceneReader reader = ReaderOf("[check_file scenes/none.scr][if yes]skipped[endif]A[check_file scenes/here.scr]"
                                  "[if yes]B[endif][goto end]C[end]D");
    RecordingStage stage;
    stage.existing = {"scenes/here.scr"};
    ReadAll(reader, stage);
    EXPECT_EQ(stage.typed, "ABD\r\n");
    EXPECT_EQ(reader.answer, "yes");
    EXPECT_TRUE(stage.messages.empty());

    SceneReader missing = ReaderOf("[goto nowhere]E");
    RecordingStage missingStage;
    ReadAll(missing, missingStage);
    EXPECT_EQ(missingStage.typed, "E\r\n");
    ASSERT_EQ(missingStage.messages.size(), 1u);
}

TEST(SceneScript, TypingDelayVariablesAndStageCommands)
{
    SceneReader reader = ReaderOf("[typing 0]x[typing -5][i 3][f 1][f 2][s 0][i 40][new]");
    reader.intVars[3] = -7;
    reader.realVars[1] = 2.5;
    reader.realVars[2] = 3;
    reader.stringVars[0] = "Ann";
    RecordingStage stage;
    reader.Step(stage);
    EXPECT_EQ(reader.typingDelay, 0);
    ReadAll(reader, stage);
    EXPECT_EQ(stage.typed, "x-72.53.Ann\r\n");
    // [new] brings the delay back; the stage gets only what is not the reader's own.
    EXPECT_EQ(reader.typingDelay, SceneReader::kStartTypingDelay);
    ASSERT_EQ(stage.commands.size(), 1u);
    EXPECT_EQ(stage.commands[0].op, SceneOp::New);
}

TEST(SceneScript, EventFiles)
{
    EXPECT_EQ(SceneScript::FilesForEvent("open", 4, 1).main, "scenes/page_4_open.scr");
    EXPECT_EQ(SceneScript::FilesForEvent("open", 4, 1).appended, "scenes/tutorial_4.scr");
    EXPECT_EQ(SceneScript::FilesForEvent("newtri", 4, 2).main, "scenes/set_2_done.scr");
    EXPECT_EQ(SceneScript::FilesForEvent("round_2", 7, 2).main, "scenes/page_7_round_2.scr");
    EXPECT_EQ(SceneScript::FilesForEvent("intro", 0, 0).appended, "scenes/intro.scr");
    EXPECT_EQ(SceneScript::FilesForEvent("scenes/x.scr", 1, 1).main, "scenes/x.scr");
}

} // namespace
} // namespace Vesk
