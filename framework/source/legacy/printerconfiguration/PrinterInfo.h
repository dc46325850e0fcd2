// What the print system asks a printer module about its printer, built from the
// description files in the printer bundle's resources and the framework bundle's shared
// ones:
//
//     printer bundle                       framework bundle
//     Properties.plist  printer dictionary Engine.xml                universal engine
//     Ticket.xml        information ticket                           dictionary (optional)
//     Template.xml      printer template   Default Paper.orvopapers  universal paper list
//     Engine.xml        engine dictionary
//     Colour.xml        ColorSync profiles
//     Default Paper.orvopapers  printer-specific papers (optional)
//     <Printer Icon>.icns, Profiles/<File Name>.icc
//
// Rectangles ("Printer Margins", the two "Printer Limits" and every paper) are
// dictionaries of "Top", "Left", "Bottom", "Right" (exact numbers) and "Units": "mm",
// "decipoints" (1/720 inch), "postscript-points" (1/72 inch) or "inches", compared without
// regard to case; any other unit is taken as millimetres. Rectangles are held in
// millimetres and handed to the print system in points. In a limit rectangle an edge of
// -1 (after conversion) has no limit.
//
// Every failure writes its message on the standard error stream and raises a
// TarvelException (TarvelException::Raise). A PrinterInfo lives for one request and reads
// its files anew; nothing is cached.
#pragma once

#include "legacy/helpers/StCFRetainer.h"

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFBundle.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>
#include <PrintCore/PMTemplate.h>
#include <PrintCore/PMTicket.h>

namespace Tarvel {

// Keys of the printer-browser information shared with the printer browsers.
extern const CFStringRef kOrvo_PBMAddress_ShortName;   // "Orvo Printer Short Name"
extern const CFStringRef kOrvo_PBMAddress_BrowserPath; // "Orvo Browser Path"

class PrinterInfo {
public:
    // Retains the bundle and reads its printer dictionary ("Properties.plist").
    explicit PrinterInfo(CFBundleRef inPrinterBundleToCopy);
    ~PrinterInfo();
    PrinterInfo(const PrinterInfo&) = delete;
    PrinterInfo& operator=(const PrinterInfo&) = delete;

    // The printer information ticket: Ticket.xml with the printer's names and ColorSync
    // profiles set, locked, by "orvo.engine.framework". The caller releases it.
    PMTicketRef CopyPrinterTicket() const;
    // The printer template: Template.xml with the paper list, the custom paper entries,
    // the ColorSync profile choice and the option template added. The caller releases it.
    PMTemplateRef CopyPrinterTemplate() const;
    // The print dialog panels of "Supported Extension Paths", each as a path relative to
    // the system's printers folder: the framework's resource folder after the last
    // "Library/Printers/" of its URL, followed by the name. A new array.
    CFArrayRef CopyPDExtensionPaths() const;
    // The connection dictionary of "Supported Connections" for the connection type, copied,
    // with "Printer Browser Kind", "Printer Browser Icons" and kOrvo_PBMAddress_ShortName
    // added; null (and no error) when the printer does not offer the connection.
    CFDictionaryRef CopyPrinterBrowserModuleInfo(CFStringRef inConnectionType) const;
    // The printer's engine dictionary merged over the framework's universal one when there
    // is one. A new reference.
    CFDictionaryRef CopyEngineDictionary() const;

    // Strings of the printer dictionary, borrowed; null when absent or not a string.
    CFStringRef GetMakeAndModelName() const;
    CFStringRef GetPrinterLongName() const;
    CFStringRef GetPrinterShortName() const;
    CFStringRef GetPrinterKind() const;
    CFStringRef GetPrinterIconName() const;
    // "Printer Margins", in millimetres.
    void GetPrinterMargins(PMRect& outMargins) const;

private:
    CFMutableDictionaryRef CopyPrinterDictionary() const;
    CFBundleRef GetPrinterBundle() const { return mBundleRetainer.GetBundleRef(); }

    // Resources: the printer bundle's, and any bundle's (the messages differ).
    CFURLRef CopyResourceURL(CFStringRef inName, CFStringRef inExtension) const;
    CFDataRef CopyResourceData(CFStringRef inName, CFStringRef inExtension) const;
    static CFURLRef CopyBundleResourceURL(CFBundleRef inBundle, CFStringRef inName,
                                          CFStringRef inExtension);
    static CFDataRef CopyBundleResourceData(CFBundleRef inBundle, CFStringRef inName,
                                            CFStringRef inExtension);
    // The framework bundle (a new reference), or raises.
    static CFBundleRef CopyFrameworkBundle();

    CFDictionaryRef CopyUniversalEngineDictionary() const;
    static CFDictionaryRef CopyEngineFile(CFDataRef inData, CFOptionFlags inMutability);
    static void MergeSettings(CFMutableDictionaryRef inLHS, CFDictionaryRef inRHS);

    CFDataRef CopyPrinterIcon() const;
    // A mutable copy of the connection dictionary of the type, or null when the printer
    // has none.
    CFMutableDictionaryRef CopySupportedConnectionTypeIfPresent(CFStringRef inConnectionType) const;

    // Papers, limits and custom paper.
    void AppendPaperSizesToTemplate(PMTemplateRef ioTemplate) const;
    bool AppendPaperSizeToPaperList(CFDictionaryRef inPaper, UInt32 inIndex,
                                    PMTicketRef ioList) const;
    bool SupportedPaperSize(const PMRect& inPaper) const;
    void GetPaperSizeLimits(PMRect& outMaximum, PMRect& outMinimum) const;
    static CFArrayRef CopyPaperSizes(CFBundleRef inSourceBundle, bool inThrowIfMissing);
    void AddCustomPaperToTemplate(PMTemplateRef ioTemplate) const;

    // ColorSync profiles.
    CFArrayRef CopyColourProfiles() const;
    void AppendColorSyncProfilesToTicket(PMTicketRef ioTicket) const;
    void AppendColorSyncProfilesToTemplate(PMTemplateRef ioTemplate) const;

    void AppendEngineSettingsToTemplate(PMTemplateRef ioTemplate) const;

    static PMRect ConvertRectFromMillToPoints(const PMRect& inRect);
    // A rectangle dictionary in millimetres.
    static void GetDictionaryRect(CFDictionaryRef inRect, PMRect& outRect);
    static double GetDictionaryRectElement(CFDictionaryRef inRect, CFStringRef inKey);
    static CFStringRef GetDictionaryStringValue(CFDictionaryRef inDictionary, CFStringRef inKey);
    CFStringRef GetPrinterStringValue(CFStringRef inKey) const;

    StCFRetainer mBundleRetainer;
    CFMutableDictionaryRef mPrinterDictionary;
};

} // namespace Tarvel
