#pragma once

#include <string>

namespace Vesk
{

// Told about an edit field's Enter key, and asked about every key, character and text change
// (a refusal leaves the field as it was).
class EditListener
{
public:
    virtual ~EditListener() = default;

    // Enter was pressed.
    virtual void OnEditText(int id, const std::string& text) {}
    virtual bool AllowEditKey(int id, int keyCode) { return true; }
    virtual bool AllowEditChar(int id, int character) { return true; }
    virtual bool AllowEditText(int id, const std::string& text) { return true; }
};

} // namespace Vesk
