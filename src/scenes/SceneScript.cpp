#include "scenes/SceneScript.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace Vesk
{

namespace
{

constexpr const char* kMissingInteger = "Some command was not supplied with the necessary parameter.";
constexpr const char* kMissingReal = "Some command was not supplied with the necessary parameter";
constexpr const char* kBadInteger = "Parameter should be integer.";
constexpr const char* kBadReal = "Parameter should be double.";

// A command's name, whether it is written with parameters, what it is and its parameters:
// i integer, r real, w word; upper case for an optional one, which takes its default.
struct CommandForm
{
    const char* name;
    bool withParams;
    SceneOp op;
    const char* params;
    std::array<const char*, SceneCommand::kMaxParams> defaults;
};

const CommandForm kCommands[] = {
    {"new", false, SceneOp::New, "", {}},
    {"wait", false, SceneOp::Wait, "", {}},
    {"ask", false, SceneOp::Ask, "", {}},
    {"drop", false, SceneOp::Drop, "", {}},
    {"no_buttons", false, SceneOp::NoButtons, "", {}},
    {"ignore_clicks", false, SceneOp::IgnoreClicks, "", {}},
    {"dont_ignore_clicks", false, SceneOp::DontIgnoreClicks, "", {}},
    {"show_cursor", false, SceneOp::ShowCursor, "", {}},
    {"playtime", false, SceneOp::Playtime, "", {}},
    {"endif", false, SceneOp::Endif, "", {}},
    {"no_music", false, SceneOp::NoMusic, "", {}},
    {"no_sound", false, SceneOp::NoSound, "", {}},
    {"e", false, SceneOp::LineBreak, "", {}},
    {"SBG", false, SceneOp::SetBackground, "", {}},
    {"drop_page", false, SceneOp::DropPage, "", {}},
    {"round", false, SceneOp::Round, "", {}},
    {"check_file", true, SceneOp::CheckFile, "w", {}},
    {"if", true, SceneOp::If, "w", {}},
    {"goto", true, SceneOp::Goto, "w", {}},
    {"typing", true, SceneOp::Typing, "i", {}},
    {"pause", true, SceneOp::Pause, "i", {}},
    {"wait", true, SceneOp::WaitPause, "i", {}},
    {"choose", true, SceneOp::Choose, "w", {}},
    {"char", true, SceneOp::Char, "wwiir", {}},
    {"in", true, SceneOp::In, "w", {}},
    {"out", true, SceneOp::Out, "w", {}},
    {"anim", true, SceneOp::Anim, "wwwiiii", {}},
    {"swap", true, SceneOp::Swap, "wr", {}},
    {"move", true, SceneOp::Move, "wiir", {}},
    {"slide", true, SceneOp::Slide, "wir", {}},
    {"drop", true, SceneOp::DropName, "w", {}},
    {"color", true, SceneOp::Color, "iiiI", {nullptr, nullptr, nullptr, "255"}},
    {"window", true, SceneOp::Window, "iiii", {}},
    {"frame", true, SceneOp::Frame, "iii", {}},
    {"bkg", true, SceneOp::Bkg, "wrrii", {}},
    {"img", true, SceneOp::Img, "wrrIII", {nullptr, nullptr, nullptr, "0", "0", "1000"}},
    {"btn", true, SceneOp::Btn, "wiiWII", {nullptr, nullptr, nullptr, "ok", "1", "1"}},
    {"snd", true, SceneOp::Snd, "w", {}},
    {"load", true, SceneOp::Load, "w", {}},
    {"temp", true, SceneOp::Temp, "w", {}},
    {"l_music", true, SceneOp::LoadMusic, "iw", {}},
    {"p_music", true, SceneOp::PlayMusic, "i", {}},
    {"l_sound", true, SceneOp::LoadSound, "iw", {}},
    {"p_sound", true, SceneOp::PlaySound, "i", {}},
    {"i", true, SceneOp::IntVar, "i", {}},
    {"f", true, SceneOp::RealVar, "i", {}},
    {"s", true, SceneOp::StringVar, "i", {}},
    {"il", true, SceneOp::LineSpacing, "i", {}},
    {"FFW", true, SceneOp::FadeFromWhite, "r", {}},
    {"FFB", true, SceneOp::FadeFromBlack, "r", {}},
    {"FFN", true, SceneOp::FadeFromNothing, "r", {}},
    {"FTW", true, SceneOp::FadeToWhite, "r", {}},
    {"FTB", true, SceneOp::FadeToBlack, "r", {}},
    {"FTN", true, SceneOp::FadeToNothing, "r", {}},
    {"drag_page", true, SceneOp::DragPage, "rrr", {}},
};

bool OnlyOf(const std::string& text, const char* allowed)
{
    return !text.empty() && text.find_first_not_of(allowed) == std::string::npos;
}

bool IsWordMark(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           std::string_view("!',-.:;?").find(c) != std::string_view::npos;
}

void ReadParam(char type, const std::string* given, const char* fallback, SceneParam& param,
               std::vector<std::string>& messages)
{
    const bool optional = type >= 'A' && type <= 'Z';
    const char kind = char(optional ? type - 'A' + 'a' : type);
    std::string text;
    if (given != nullptr)
        text = *given;
    else if (optional && fallback != nullptr)
        text = fallback;
    param.word = text;
    if (kind == 'i')
    {
        if (text.empty())
            messages.emplace_back(kMissingInteger);
        else if (!OnlyOf(text, "0123456789-"))
            messages.emplace_back(kBadInteger);
        else
            param.integer = std::atoi(text.c_str());
    }
    else if (kind == 'r')
    {
        if (text.empty())
            messages.emplace_back(kMissingReal);
        else if (!OnlyOf(text, "0123456789-."))
            messages.emplace_back(kBadReal);
        else
            param.real = std::strtod(text.c_str(), nullptr);
    }
}

} // namespace

// --- Files and text -------------------------------------------------------------------------

SceneScript::EventFiles SceneScript::FilesForEvent(const std::string& event, int pageNumber, int setNumber)
{
    auto named = [](const char* pattern, int number)
    {
        char name[96];
        std::snprintf(name, sizeof(name), pattern, number);
        return std::string(name);
    };
    if (event == "open")
        return {named("scenes/page_%d_open.scr", pageNumber), named("scenes/tutorial_%d.scr", pageNumber)};
    if (event == "done")
        return {named("scenes/page_%d_done.scr", pageNumber), {}};
    if (event == "intro")
        return {"scenes/logos.scr", "scenes/intro.scr"};
    if (event == "fail")
        return {named("scenes/page_%d_fail.scr", pageNumber), {}};
    if (event == "time")
        return {named("scenes/page_%d_time.scr", pageNumber), {}};
    if (event == "newtri")
        return {named("scenes/set_%d_done.scr", setNumber), {}};
    if (event == "round_1" || event == "round_2" || event == "round_3")
        return {named("scenes/page_%d_", pageNumber) + event + ".scr", {}};
    return {event, {}};
}

void SceneScript::Clear()
{
    text.clear();
    files.clear();
    lines.clear();
}

void SceneScript::AppendFile(const std::string& name, const std::string& content)
{
    files.push_back(name);
    const int file = int(files.size()) - 1;
    size_t start = 0;
    int line = 1;
    while (start < content.size())
    {
        size_t end = content.find('\n', start);
        size_t next = end == std::string::npos ? content.size() : end + 1;
        if (end == std::string::npos)
            end = content.size();
        size_t cut = end > start && content[end - 1] == '\r' ? end - 1 : end;
        lines.push_back({text.size(), file, line});
        text.append(content, start, cut - start);
        text += "\r\n";
        start = next;
        ++line;
    }
}

SceneLocation SceneScript::Where(size_t position) const
{
    auto after = std::upper_bound(lines.begin(), lines.end(), position,
                                  [](size_t at, const LineStart& l) { return at < l.offset; });
    if (after == lines.begin())
        return {files.empty() ? std::string() : files.front(), 1};
    const LineStart& found = *(after - 1);
    return {files[size_t(found.file)], found.line};
}

// --- Commands -------------------------------------------------------------------------------

bool SceneScript::ReadCommandText(size_t position, std::string& prepared, size_t& end, std::string& message) const
{
    prepared.clear();
    message.clear();
    for (size_t at = position + 1; at < text.size(); ++at)
    {
        char c = text[at];
        if (c == '[')
        {
            message = "Command enclosure is not allowed";
            end = at;
            return false;
        }
        if (c == '\t' || c == 7 || c == ',')
            c = ' ';
        if (c == ' ' && !prepared.empty() && prepared.back() == ' ')
            continue;
        prepared += c;
        if (c == ']')
        {
            end = at + 1;
            return true;
        }
    }
    message = "Script ended within '[]'";
    end = text.size();
    return false;
}

SceneCommand SceneScript::ParseCommand(const std::string& prepared, std::vector<std::string>& messages)
{
    SceneCommand command;
    command.text = prepared;
    std::string body = prepared;
    if (!body.empty() && body.back() == ']')
        body.pop_back();
    std::vector<std::string> words;
    size_t start = 0;
    while (start < body.size())
    {
        size_t space = body.find(' ', start);
        if (space == std::string::npos)
            space = body.size();
        if (space > start)
            words.push_back(body.substr(start, space - start));
        start = space + 1;
    }
    if (words.empty())
        return command;
    command.name = words.front();
    const bool withParams = words.size() > 1;
    const CommandForm* form = nullptr;
    for (const CommandForm& candidate : kCommands)
        if (command.name == candidate.name && withParams == candidate.withParams)
            form = &candidate;
    // A form with parameters given none still is that command (its parameters go missing).
    if (form == nullptr && !withParams)
        for (const CommandForm& candidate : kCommands)
            if (command.name == candidate.name)
                form = &candidate;
    if (form == nullptr)
    {
        const char first = prepared.front();
        if (!((first >= 'a' && first <= 'z') || first == '_'))
            command.op = SceneOp::Expression;
        return command;
    }
    command.op = form->op;
    const std::string types = form->params;
    command.paramCount = int(types.size());
    for (size_t index = 0; index < types.size() && index < size_t(SceneCommand::kMaxParams); ++index)
    {
        const std::string* given = index + 1 < words.size() ? &words[index + 1] : nullptr;
        ReadParam(types[index], given, form->defaults[index], command.params[index], messages);
    }
    return command;
}

SceneCommand SceneScript::ReadCommand(size_t position, size_t& end, std::vector<SceneMessage>& messages) const
{
    std::string prepared;
    std::string message;
    if (!ReadCommandText(position, prepared, end, message))
    {
        messages.push_back({message, Where(position)});
        SceneCommand none;
        none.position = position;
        return none;
    }
    std::vector<std::string> texts;
    SceneCommand command = ParseCommand(prepared, texts);
    command.position = position;
    for (std::string& text : texts)
        messages.push_back({std::move(text), Where(position)});
    return command;
}

size_t SceneScript::FindEndif(size_t position) const
{
    std::string prepared;
    std::string message;
    for (size_t at = text.find('[', position); at != std::string::npos; at = text.find('[', at + 1))
    {
        size_t end = 0;
        if (!ReadCommandText(at, prepared, end, message))
            continue;
        std::vector<std::string> ignored;
        if (ParseCommand(prepared, ignored).op == SceneOp::Endif)
            return end;
    }
    return std::string::npos;
}

size_t SceneScript::FindLabel(const std::string& label) const
{
    return text.rfind("[" + label);
}

// --- Reading --------------------------------------------------------------------------------

void SceneReader::Start()
{
    position = 0;
    typingDelay = kStartTypingDelay;
    charsOnLine = 0;
}

std::string SceneReader::FormatReal(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%f", value);
    std::string text = buffer;
    if (text.find('.') != std::string::npos)
        while (!text.empty() && text.back() == '0')
            text.pop_back();
    return text;
}

void SceneReader::ShowAt(SceneStage& stage, const std::string& text, size_t at) const
{
    stage.ShowMessage({text, script.Where(at)});
}

std::string SceneReader::WordAt(size_t start) const
{
    const std::string& text = script.Text();
    size_t end = start;
    while (end < text.size() && IsWordMark(text[end]))
        ++end;
    return text.substr(start, end - start);
}

SceneReader::StepResult SceneReader::LineBreak(SceneStage& stage, char c)
{
    StepResult result = StepResult::Free;
    if (charsOnLine > 0)
    {
        stage.TypeText(std::string(1, c));
        result = StepResult::Typed;
    }
    if (c == '\n')
        charsOnLine = 0;
    return result;
}

SceneReader::StepResult SceneReader::Step(SceneStage& stage)
{
    const std::string& text = script.Text();
    if (position >= text.size())
        return StepResult::End;
    const char c = text[position++];
    switch (c)
    {
    case ' ':
        if (stage.WordStartsNewLine(WordAt(position)))
        {
            stage.TypeText("\r");
            return LineBreak(stage, '\n');
        }
        break;
    case '\t':
        return StepResult::Free;
    case '\r':
    case '\n':
        return LineBreak(stage, c);
    case '[':
    {
        std::vector<SceneMessage> messages;
        size_t end = position;
        SceneCommand command = script.ReadCommand(position - 1, end, messages);
        position = end;
        for (const SceneMessage& message : messages)
            stage.ShowMessage(message);
        RunCommand(stage, command);
        return StepResult::Free;
    }
    default:
        break;
    }
    stage.TypeText(std::string(1, c));
    ++charsOnLine;
    return StepResult::Typed;
}

void SceneReader::RunCommand(SceneStage& stage, const SceneCommand& command)
{
    switch (command.op)
    {
    case SceneOp::Unknown:
    case SceneOp::Endif:
        return;
    case SceneOp::If:
        if (answer != command.Word(0))
        {
            size_t after = script.FindEndif(position);
            if (after == std::string::npos)
                ShowAt(stage, "An 'if' does not have a coresponding 'endif'.", command.position);
            else
                position = after;
        }
        return;
    case SceneOp::Goto:
    {
        size_t target = script.FindLabel(command.Word(0));
        if (command.Word(0).empty() || target == std::string::npos)
            ShowAt(stage, "A 'goto' does not have a corresponding label '" + command.Word(0) + "'.", command.position);
        else
            position = target;
        return;
    }
    case SceneOp::Typing:
        typingDelay = std::max(command.Int(0), 0);
        return;
    case SceneOp::CheckFile:
        answer = stage.FileExists(command.Word(0)) ? "yes" : "no";
        return;
    case SceneOp::IntVar:
    case SceneOp::RealVar:
    case SceneOp::StringVar:
        AppendVariable(stage, command);
        return;
    case SceneOp::New:
        typingDelay = kStartTypingDelay;
        break;
    default:
        break;
    }
    stage.Execute(command);
}

void SceneReader::AppendVariable(SceneStage& stage, const SceneCommand& command)
{
    const int index = command.Int(0);
    if (index < 0 || index >= kVariables)
        return;
    if (command.op == SceneOp::IntVar)
        stage.TypeText(std::to_string(intVars[size_t(index)]));
    else if (command.op == SceneOp::RealVar)
        stage.TypeText(FormatReal(realVars[size_t(index)]));
    else
        stage.TypeText(stringVars[size_t(index)]);
}

} // namespace Vesk
