#pragma once

#include "framework/resources/ResourceManifest.h"

#include <memory>
#include <set>
#include <string>

namespace Vesk
{

class XMLParser;
struct XMLElement;

// Reads a resource manifest ("properties\\resources.xml") into plain data. The file is an XML
// document with one ResourceManifest element holding Resources groups; each group lists Image,
// Sound and Font elements and SetDefaults elements that set the path and identifier prefixes
// for what follows:
//
//   <ResourceManifest>
//     <Resources id="Common">
//       <SetDefaults path="images" idprefix="IMAGE_"/>
//       <Image path="cursor_pointer" id="CUR_POINTER"/>   (IMAGE_CUR_POINTER, images/cursor_pointer)
//       <Image path="stroke.png"/>                        (IMAGE_stroke)
//       <SetDefaults path="fonts" idprefix="FONT_"/>
//       <Font path="!sys:DejaVu Sans" size="12" bold id="LABEL"/>
//     </Resources>
//   </ResourceManifest>
//
// The first error ends the read; its text says what and, while the file is being read, where
// (" on Line 12 in File 'properties\\resources.xml'"). A failed read leaves the manifest it was
// adding to exactly as it was. One reader serves one read at a time.
class ResourceManifestReader
{
public:
    ResourceManifestReader();
    virtual ~ResourceManifestReader();
    ResourceManifestReader(const ResourceManifestReader&) = delete;
    ResourceManifestReader& operator=(const ResourceManifestReader&) = delete;

    // Whether drawing is hardware accelerated: an image then drops its memory copy with
    // "nobits3d", otherwise with "nobits2d" ("nobits" always).
    void SetHardwareAccelerated(bool accelerated) { hardwareAccelerated = accelerated; }

    // Reads fileName and adds its groups and resources to manifest, after those already in it;
    // an identifier already declared there, or earlier in the file, for the same kind fails.
    // The manifest's defaults are in force at the start and are updated by the file.
    [[nodiscard]] bool Read(const std::string& fileName, ResourceManifest& manifest);

    const std::string& GetErrorText() const { return errorText; }
    bool HadError() const { return hasFailed; }
    // The failed declaration used an identifier that already existed.
    bool RedefinitionSeen() const { return redefinitionSeen; }

    // The largest number of cell rows or columns an image may declare; more are taken as this
    // many (no picture has more pixels to a side).
    static constexpr int kMaxCells = 16384;

    // The identifier a path gives without an "id": the file name without its folder (after the
    // last "/" or "\") and without its extension (from its last "."); "images/a.png" gives "a".
    static std::string IdFromPath(const std::string& path);

protected:
    // Path, identifier and the attributes every entry has; fails for a missing path or an
    // identifier the kind already has.
    virtual bool ReadCommonAttributes(const XMLElement& element, ResourceDeclaration& declaration);
    virtual bool ReadSoundEntry(const XMLElement& element);
    virtual bool ReadImageEntry(const XMLElement& element);
    virtual bool ReadFontEntry(const XMLElement& element);
    virtual bool ReadDefaults(const XMLElement& element);
    // The children of the current group up to its end tag.
    virtual bool ReadGroupBody();

    // Records an error (only the first counts) and returns false.
    bool Fail(const std::string& message);

private:
    bool ReadManifestBody();
    // The element just read must be closed at once (a self-closing tag).
    bool ExpectEnd();
    // After NextElement returned false: the reader's own error, if it had one.
    bool ParserFailed();
    void AddDeclaration(ResourceDeclaration declaration);

    std::unique_ptr<XMLParser> parser;
    ResourceManifest working;
    std::set<std::string> declaredIds[3]; // per kind
    std::string currentGroup;
    std::string errorText;
    bool hasFailed = false;
    bool redefinitionSeen = false;
    bool hardwareAccelerated = false;
};

} // namespace Vesk
