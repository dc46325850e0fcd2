#include "legacy/printerconfiguration/PrinterInfo.h"

#include "legacy/exception/TarvelException.h"
#include "legacy/helpers/StCFAutoRelease.h"
#include "legacy/helpers/StPMTicketRelease.h"
#include "legacy/printerconfiguration/PrinterBundle.h"
#include "legacy/settings/EngineSettings.h"

#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFPropertyList.h>
#include <CoreFoundation/CFURL.h>

#include <initializer_list>

namespace Tarvel {

const CFStringRef kOrvo_PBMAddress_ShortName = CFSTR("Orvo Printer Short Name");
const CFStringRef kOrvo_PBMAddress_BrowserPath = CFSTR("Orvo Browser Path");

namespace {

// The client identifier of every item the framework writes.
const CFStringRef kClient = CFSTR("orvo.engine.framework");

// Resources.
const CFStringRef kPropertiesName = CFSTR("Properties");
const CFStringRef kPlistExtension = CFSTR("plist");
const CFStringRef kTicketName = CFSTR("Ticket");
const CFStringRef kTemplateName = CFSTR("Template");
const CFStringRef kEngineName = CFSTR("Engine");
const CFStringRef kColourName = CFSTR("Colour");
const CFStringRef kXMLExtension = CFSTR("xml");
const CFStringRef kPaperName = CFSTR("Default Paper");
const CFStringRef kPaperExtension = CFSTR("orvopapers");
const CFStringRef kIconExtension = CFSTR("icns");
const CFStringRef kProfileExtension = CFSTR("icc");
const CFStringRef kProfilesFolder = CFSTR("Profiles");

// Printer dictionary.
const CFStringRef kMakeAndModelName_Key = CFSTR("Make and Model Name");
const CFStringRef kPrinterLongName_Key = CFSTR("Printer Long Name");
const CFStringRef kPrinterShortName_Key = CFSTR("Printer Short Name");
const CFStringRef kPrinterKind_Key = CFSTR("Printer Kind");
const CFStringRef kPrinterIcon_Key = CFSTR("Printer Icon");
const CFStringRef kPrinterMargins_Key = CFSTR("Printer Margins");
const CFStringRef kPrinterLimits_Key = CFSTR("Printer Limits");
const CFStringRef kMaximumPaperSize_Key = CFSTR("Maximum Paper Size");
const CFStringRef kMinimumPaperSize_Key = CFSTR("Minimum Paper Size");
const CFStringRef kSupportedConnections_Key = CFSTR("Supported Connections");
const CFStringRef kSupportedExtensionPaths_Key = CFSTR("Supported Extension Paths");

// Rectangles, papers and profiles.
const CFStringRef kTop_Key = CFSTR("Top");
const CFStringRef kLeft_Key = CFSTR("Left");
const CFStringRef kBottom_Key = CFSTR("Bottom");
const CFStringRef kRight_Key = CFSTR("Right");
const CFStringRef kUnits_Key = CFSTR("Units");
const CFStringRef kPaperSizes_Key = CFSTR("Paper Sizes");
const CFStringRef kName_Key = CFSTR("Name");
const CFStringRef kColorSyncProfiles_Key = CFSTR("ColorSync Profiles");
const CFStringRef kFileName_Key = CFSTR("File Name");
const CFStringRef kDeviceProfileURL_Key = CFSTR("PMColorDeviceProfileURL");

// Printer-browser information.
const CFStringRef kPrinterBrowserKind_Key = CFSTR("Printer Browser Kind");
const CFStringRef kPrinterBrowserIcons_Key = CFSTR("Printer Browser Icons");

// Print-system keys.
const CFStringRef kPMMakeAndModelName_Key = CFSTR("com.apple.print.PrinterInfo.PMMakeAndModelName");
const CFStringRef kPMPrinterLongName_Key = CFSTR("com.apple.print.PrinterInfo.PMPrinterLongName");
const CFStringRef kPMPrinterShortName_Key = CFSTR("com.apple.print.PrinterInfo.PMPrinterShortName");
const CFStringRef kPMColorSyncProfiles_Key =
    CFSTR("com.apple.print.PrinterInfo.PMColorSyncProfiles");
const CFStringRef kPMPaperInfoList_Key =
    CFSTR("com.apple.print.TemplateSpecific.PMTemplatePaperInfoTicket");
const CFStringRef kPMPaperInfoTicket_Type = CFSTR("com.apple.print.PaperInfoTicket");
const CFStringRef kPMTicketList_Type = CFSTR("com.apple.print.TicketList");
const CFStringRef kPMPaperName_Key = CFSTR("com.apple.print.PaperInfo.PMPaperName");
const CFStringRef kPMUnadjustedPaperRect_Key =
    CFSTR("com.apple.print.PaperInfo.PMUnadjustedPaperRect");
const CFStringRef kPMUnadjustedPageRect_Key =
    CFSTR("com.apple.print.PaperInfo.PMUnadjustedPageRect");
const CFStringRef kPMCustomPaperWidth_Key =
    CFSTR("com.apple.print.TemplateSpecific.CustomPaperWidth");
const CFStringRef kPMCustomPaperHeight_Key =
    CFSTR("com.apple.print.TemplateSpecific.CustomPaperHeight");
const CFStringRef kPMCustomPageMargins_Key =
    CFSTR("com.apple.print.TemplateSpecific.PMCustomPageMargins");
const CFStringRef kPMColorSyncProfileID_Key =
    CFSTR("com.apple.print.PrintSettings.PMColorSyncProfileID");
const CFStringRef kEngineOptions_Key = CFSTR("orvo.engine.options");

const CFStringRef kPrintersFolder = CFSTR("Library/Printers/");

// Custom paper ranges, in points: 2 to 60 inches wide, 2 to 1800 inches long.
constexpr double kCustomPaperMinimum = 144.0;
constexpr double kCustomPaperMaximumWidth = 4320.0;
constexpr double kCustomPaperMaximumHeight = 129600.0;

// An edge of a limit rectangle that is not checked.
constexpr double kNoLimit = -1.0;

bool IsKind(CFTypeRef inValue, CFTypeID inTypeID) {
    return inValue != nullptr && CFGetTypeID(inValue) == inTypeID;
}

// Parses an XML property list; null when it does not parse, after writing the parser's
// description of the fault to the standard error stream when inShowError is true.
CFPropertyListRef ParseXML(CFDataRef inData, CFOptionFlags inMutability, bool inShowError) {
    CFStringRef error = nullptr;
    CFPropertyListRef value =
        CFPropertyListCreateFromXMLData(nullptr, inData, inMutability, &error);
    if (error != nullptr) {
        if (value == nullptr && inShowError)
            CFShow(error);
        CFRelease(error);
    }
    return value;
}

// The absolute string of a URL, a new reference; null when it has none.
CFStringRef CopyAbsoluteURLString(CFURLRef inURL) {
    CFURLRef absolute = CFURLCopyAbsoluteURL(inURL);
    if (absolute == nullptr)
        return nullptr;
    CFStringRef string = CFURLGetString(absolute);
    if (string != nullptr)
        CFRetain(string);
    CFRelease(absolute);
    return string;
}

} // namespace

PrinterInfo::PrinterInfo(CFBundleRef inPrinterBundleToCopy)
    : mBundleRetainer(inPrinterBundleToCopy, false), mPrinterDictionary(nullptr) {
    mPrinterDictionary = CopyPrinterDictionary();
    if (mPrinterDictionary == nullptr)
        TarvelException::Raise("Unable to copy the printer dictionary.");
}

PrinterInfo::~PrinterInfo() {
    if (mPrinterDictionary != nullptr)
        CFRelease(mPrinterDictionary);
}

// ---- Resources ----

CFURLRef PrinterInfo::CopyBundleResourceURL(CFBundleRef inBundle, CFStringRef inName,
                                            CFStringRef inExtension) {
    if (inBundle == nullptr)
        TarvelException::Raise("Source bundle is null.");
    if (inName == nullptr || CFStringGetLength(inName) == 0)
        TarvelException::Raise("CopyBundleResourceURL: resource name is zero bytes long.");
    if (inExtension == nullptr || CFStringGetLength(inExtension) == 0)
        TarvelException::Raise("CopyBundleResourceURL: resource extension is zero bytes long.");
    return CFBundleCopyResourceURL(inBundle, inName, inExtension, nullptr);
}

CFURLRef PrinterInfo::CopyResourceURL(CFStringRef inName, CFStringRef inExtension) const {
    return CopyBundleResourceURL(GetPrinterBundle(), inName, inExtension);
}

CFDataRef PrinterInfo::CopyResourceData(CFStringRef inName, CFStringRef inExtension) const {
    CFURLRef url = CopyResourceURL(inName, inExtension);
    if (url == nullptr)
        TarvelException::Raise("CopyResourceData: CopyResourceURL returned NULL.");
    StCFAutoRelease releaseURL(url);
    CFDataRef data = nullptr;
    if (!CFURLCreateDataAndPropertiesFromResource(nullptr, url, &data, nullptr, nullptr, nullptr) ||
        data == nullptr)
        TarvelException::Raise(
            "CopyResourceData: CFURLCreateDataAndPropertiesFromResource return false.");
    return data;
}

CFDataRef PrinterInfo::CopyBundleResourceData(CFBundleRef inBundle, CFStringRef inName,
                                              CFStringRef inExtension) {
    CFURLRef url = CopyBundleResourceURL(inBundle, inName, inExtension);
    if (url == nullptr)
        TarvelException::Raise("Bundle resource URL is null.");
    StCFAutoRelease releaseURL(url);
    CFDataRef data = nullptr;
    if (!CFURLCreateDataAndPropertiesFromResource(nullptr, url, &data, nullptr, nullptr, nullptr) ||
        data == nullptr)
        TarvelException::Raise(
            "CopyBundleResourceData: CFURLCreateDataAndPropertiesFromResource returned NULL.");
    return data;
}

CFBundleRef PrinterInfo::CopyFrameworkBundle() {
    CFBundleRef bundle = PrinterBundle::GetBundle();
    if (bundle == nullptr)
        TarvelException::Raise("Unable to find the printer bundle by identifier.");
    return bundle;
}

// ---- Printer dictionary and names ----

CFMutableDictionaryRef PrinterInfo::CopyPrinterDictionary() const {
    CFDataRef data = CopyResourceData(kPropertiesName, kPlistExtension);
    StCFAutoRelease releaseData(data);
    CFPropertyListRef properties = ParseXML(data, kCFPropertyListMutableContainersAndLeaves, true);
    if (properties == nullptr)
        TarvelException::Raise("The printer's property file is not a valid XML file.");
    if (!IsKind(properties, CFDictionaryGetTypeID())) {
        CFRelease(properties);
        TarvelException::Raise("The printer plug-in's property files root is not a dictionary.");
    }
    return static_cast<CFMutableDictionaryRef>(const_cast<void*>(properties));
}

CFStringRef PrinterInfo::GetDictionaryStringValue(CFDictionaryRef inDictionary, CFStringRef inKey) {
    if (inDictionary == nullptr)
        TarvelException::Raise("GetDictionaryStringValue: printer dictionary is missing.");
    CFTypeRef value = CFDictionaryGetValue(inDictionary, inKey);
    return IsKind(value, CFStringGetTypeID()) ? static_cast<CFStringRef>(value) : nullptr;
}

CFStringRef PrinterInfo::GetPrinterStringValue(CFStringRef inKey) const {
    if (mPrinterDictionary == nullptr)
        TarvelException::Raise("GetPrinterStringValue: printer dictionary is missing.");
    return GetDictionaryStringValue(mPrinterDictionary, inKey);
}

CFStringRef PrinterInfo::GetMakeAndModelName() const {
    return GetPrinterStringValue(kMakeAndModelName_Key);
}

CFStringRef PrinterInfo::GetPrinterLongName() const {
    return GetPrinterStringValue(kPrinterLongName_Key);
}

CFStringRef PrinterInfo::GetPrinterShortName() const {
    return GetPrinterStringValue(kPrinterShortName_Key);
}

CFStringRef PrinterInfo::GetPrinterKind() const {
    return GetPrinterStringValue(kPrinterKind_Key);
}

CFStringRef PrinterInfo::GetPrinterIconName() const {
    return GetPrinterStringValue(kPrinterIcon_Key);
}

// ---- Rectangles ----

double PrinterInfo::GetDictionaryRectElement(CFDictionaryRef inRect, CFStringRef inKey) {
    if (inRect == nullptr)
        TarvelException::Raise("Printer margin information is null.");
    if (inKey == nullptr)
        TarvelException::Raise("Printer margin key is null.");
    CFTypeRef value = CFDictionaryGetValue(inRect, inKey);
    if (value == nullptr)
        TarvelException::Raise("Printer margin key returned null on GetValue.");
    if (!IsKind(value, CFNumberGetTypeID()))
        TarvelException::Raise("Printer margin information is not a number as expected.");
    double element = 0.0;
    if (!CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberFloat64Type, &element))
        TarvelException::Raise("Conversion of a margin number to a double is lossy or out of "
                               "range.");
    return element;
}

void PrinterInfo::GetDictionaryRect(CFDictionaryRef inRect, PMRect& outRect) {
    PMRect rect;
    rect.top = GetDictionaryRectElement(inRect, kTop_Key);
    rect.left = GetDictionaryRectElement(inRect, kLeft_Key);
    rect.bottom = GetDictionaryRectElement(inRect, kBottom_Key);
    rect.right = GetDictionaryRectElement(inRect, kRight_Key);

    CFTypeRef units = CFDictionaryGetValue(inRect, kUnits_Key);
    if (!IsKind(units, CFStringGetTypeID()))
        TarvelException::Raise("Units element must be a string.");
    auto is = [units](CFStringRef inName) {
        return CFStringCompare(static_cast<CFStringRef>(units), inName,
                               kCFCompareCaseInsensitive) == kCFCompareEqualTo;
    };
    double multiplier = 1.0; // millimetres, and any unit not known
    double divisor = 1.0;
    if (is(CFSTR("decipoints")))
        divisor = 28.346456692913385; // 720 / 25.4
    else if (is(CFSTR("postscript-points")))
        divisor = 2.834645669291339; // 72 / 25.4
    else if (is(CFSTR("inches")))
        multiplier = 25.4;
    for (double* edge : {&rect.top, &rect.left, &rect.bottom, &rect.right})
        *edge = *edge * multiplier / divisor;
    outRect = rect;
}

PMRect PrinterInfo::ConvertRectFromMillToPoints(const PMRect& inRect) {
    auto points = [](double inMillimetres) { return inMillimetres / 25.4 * 72.0; };
    return PMRect{points(inRect.top), points(inRect.left), points(inRect.bottom),
                  points(inRect.right)};
}

void PrinterInfo::GetPrinterMargins(PMRect& outMargins) const {
    if (mPrinterDictionary == nullptr)
        TarvelException::Raise("PrinterMargins: printer dictionary is missing.");
    CFTypeRef margins = CFDictionaryGetValue(mPrinterDictionary, kPrinterMargins_Key);
    if (margins == nullptr)
        TarvelException::Raise("Printer margin dictionary is missing from the properties file.");
    if (!IsKind(margins, CFDictionaryGetTypeID()))
        TarvelException::Raise("Printer margin information is not a dictionary as expected.");
    GetDictionaryRect(static_cast<CFDictionaryRef>(margins), outMargins);
}

// ---- Engine dictionary ----

CFDictionaryRef PrinterInfo::CopyEngineFile(CFDataRef inData, CFOptionFlags inMutability) {
    CFPropertyListRef engine = ParseXML(inData, inMutability, true);
    if (engine == nullptr)
        TarvelException::Raise("The engine is not a valid XML file.");
    if (!IsKind(engine, CFDictionaryGetTypeID())) {
        CFRelease(engine);
        TarvelException::Raise("The printer engine files root is not a dictionary.");
    }
    return static_cast<CFDictionaryRef>(engine);
}

CFDictionaryRef PrinterInfo::CopyUniversalEngineDictionary() const {
    try {
        CFBundleRef framework = CopyFrameworkBundle();
        StCFAutoRelease releaseFramework(framework);
        CFDataRef data = CopyBundleResourceData(framework, kEngineName, kXMLExtension);
        StCFAutoRelease releaseData(data);
        return CopyEngineFile(data, kCFPropertyListMutableContainersAndLeaves);
    } catch (const TarvelException&) {
        return nullptr; // the universal engine file is optional
    }
}

void PrinterInfo::MergeSettings(CFMutableDictionaryRef inLHS, CFDictionaryRef inRHS) {
    EngineSettings::MergeSettings(inLHS, inRHS);
}

CFDictionaryRef PrinterInfo::CopyEngineDictionary() const {
    CFDataRef data = CopyResourceData(kEngineName, kXMLExtension);
    StCFAutoRelease releaseData(data);
    CFDictionaryRef printer = CopyEngineFile(data, kCFPropertyListImmutable);
    CFDictionaryRef universal = CopyUniversalEngineDictionary();
    if (universal == nullptr)
        return printer;
    StCFAutoRelease releasePrinter(printer);
    StCFAutoRelease releaseUniversal(universal);
    CFMutableDictionaryRef merged = CFDictionaryCreateMutableCopy(nullptr, 0, universal);
    MergeSettings(merged, printer);
    return merged;
}

// ---- Printer information ticket ----

PMTicketRef PrinterInfo::CopyPrinterTicket() const {
    CFDataRef data = CopyResourceData(kTicketName, kXMLExtension);
    StCFAutoRelease releaseData(data);
    PMTicketRef ticket = nullptr;
    if (PMXMLToTicket(data, &ticket) != kPMNoError || ticket == nullptr)
        TarvelException::Raise("");
    StPMTicketRelease releaseTicket(ticket);

    if (PMTicketSetCFString(ticket, kClient, kPMMakeAndModelName_Key, GetMakeAndModelName(),
                            true) != kPMNoError)
        TarvelException::Raise("Unable to set the make and model name for this printer.");
    if (PMTicketSetCFString(ticket, kClient, kPMPrinterLongName_Key, GetPrinterLongName(), true) !=
        kPMNoError)
        TarvelException::Raise("Unable to set the long name for this printer.");
    if (PMTicketSetCFString(ticket, kClient, kPMPrinterShortName_Key, GetPrinterShortName(),
                            true) != kPMNoError)
        TarvelException::Raise("Unable to set the short name for this printer.");
    AppendColorSyncProfilesToTicket(ticket);

    releaseTicket.Nullify();
    return ticket;
}

CFArrayRef PrinterInfo::CopyColourProfiles() const {
    CFDataRef data = CopyResourceData(kColourName, kXMLExtension);
    StCFAutoRelease releaseData(data);
    CFPropertyListRef colour = ParseXML(data, kCFPropertyListImmutable, true);
    if (colour == nullptr)
        TarvelException::Raise("colourProperties could not be converted from XML.");
    StCFAutoRelease releaseColour(colour);
    if (!IsKind(colour, CFDictionaryGetTypeID()))
        TarvelException::Raise("Colour.xml must start with a dictionary.");
    CFTypeRef profiles =
        CFDictionaryGetValue(static_cast<CFDictionaryRef>(colour), kColorSyncProfiles_Key);
    if (profiles == nullptr)
        TarvelException::Raise("ColorSync profile array is missing from Colour.xml.");
    if (!IsKind(profiles, CFArrayGetTypeID()))
        TarvelException::Raise("Colour list must be an array.");
    return static_cast<CFArrayRef>(CFRetain(profiles));
}

void PrinterInfo::AppendColorSyncProfilesToTicket(PMTicketRef ioTicket) const {
    CFArrayRef profiles = CopyColourProfiles();
    StCFAutoRelease releaseProfiles(profiles);
    CFIndex count = CFArrayGetCount(profiles);
    if (count == 0)
        return;
    CFMutableArrayRef located = CFArrayCreateMutableCopy(nullptr, 0, profiles);
    if (located == nullptr)
        TarvelException::Raise("A mutable copy of the ColorSync profiles returned null. "
                               "Probably out of memory.");
    StCFAutoRelease releaseLocated(located);

    for (CFIndex index = 0; index < count; ++index) {
        CFTypeRef entry = CFArrayGetValueAtIndex(located, index);
        if (entry == nullptr)
            TarvelException::Raise("The ColorSync profile entry returned null.");
        if (!IsKind(entry, CFDictionaryGetTypeID()))
            TarvelException::Raise("The ColorSync profile is not a dictionary.");
        CFTypeRef fileName =
            CFDictionaryGetValue(static_cast<CFDictionaryRef>(entry), kFileName_Key);
        if (fileName == nullptr)
            TarvelException::Raise("The ColorSync profile file name returned null.");
        if (!IsKind(fileName, CFStringGetTypeID()))
            TarvelException::Raise("The ColorSync profile file name is not a string.");
        CFShow(fileName);

        CFURLRef profileURL =
            CFBundleCopyResourceURL(GetPrinterBundle(), static_cast<CFStringRef>(fileName),
                                    kProfileExtension, kProfilesFolder);
        StCFAutoRelease releaseProfileURL(profileURL);
        CFStringRef location = profileURL == nullptr ? nullptr : CopyAbsoluteURLString(profileURL);
        if (location == nullptr)
            TarvelException::Raise("The ColorSync profile file path returned null.");
        StCFAutoRelease releaseLocation(location);

        CFMutableDictionaryRef profile =
            CFDictionaryCreateMutableCopy(nullptr, 0, static_cast<CFDictionaryRef>(entry));
        StCFAutoRelease releaseProfile(profile);
        CFDictionarySetValue(profile, kDeviceProfileURL_Key, location);
        CFArraySetValueAtIndex(located, index, profile);
    }
    if (PMTicketSetCFArray(ioTicket, kClient, kPMColorSyncProfiles_Key, located, true) !=
        kPMNoError)
        TarvelException::Raise("The ColorSync profile array could not be added to the printer "
                               "ticket.");
}

// ---- Printer template ----

PMTemplateRef PrinterInfo::CopyPrinterTemplate() const {
    CFDataRef data = CopyResourceData(kTemplateName, kXMLExtension);
    StCFAutoRelease releaseData(data);
    PMTemplateRef printerTemplate = nullptr;
    if (PMTemplateLoadFromXML(data, &printerTemplate) != kPMNoError || printerTemplate == nullptr)
        TarvelException::Raise("Unable to load the printer template from XML.");
    try {
        AppendPaperSizesToTemplate(printerTemplate);
        AddCustomPaperToTemplate(printerTemplate);
        AppendColorSyncProfilesToTemplate(printerTemplate);
        AppendEngineSettingsToTemplate(printerTemplate);
    } catch (...) {
        PMTemplateRelease(printerTemplate);
        throw;
    }
    return printerTemplate;
}

CFArrayRef PrinterInfo::CopyPaperSizes(CFBundleRef inSourceBundle, bool inThrowIfMissing) {
    try {
        CFDataRef data = CopyBundleResourceData(inSourceBundle, kPaperName, kPaperExtension);
        StCFAutoRelease releaseData(data);
        CFPropertyListRef papers = ParseXML(data, kCFPropertyListImmutable, inThrowIfMissing);
        if (papers == nullptr) {
            if (!inThrowIfMissing)
                return nullptr;
            TarvelException::Raise("paperProperties could not be converted from XML.");
        }
        StCFAutoRelease releasePapers(papers);
        if (!IsKind(papers, CFDictionaryGetTypeID()))
            TarvelException::Raise("Paper.xml must start with a dictionary.");
        CFTypeRef sizes =
            CFDictionaryGetValue(static_cast<CFDictionaryRef>(papers), kPaperSizes_Key);
        if (sizes == nullptr)
            TarvelException::Raise("Paper array is missing from Paper.xml.");
        if (!IsKind(sizes, CFArrayGetTypeID()))
            TarvelException::Raise("Paper list must be an array.");
        return static_cast<CFArrayRef>(CFRetain(sizes));
    } catch (const TarvelException&) {
        if (inThrowIfMissing)
            throw;
        return nullptr; // the printer's own papers are optional
    }
}

void PrinterInfo::GetPaperSizeLimits(PMRect& outMaximum, PMRect& outMinimum) const {
    if (mPrinterDictionary == nullptr)
        TarvelException::Raise("mPrinterDictionary dictionary is null.");
    CFTypeRef limits = CFDictionaryGetValue(mPrinterDictionary, kPrinterLimits_Key);
    if (limits == nullptr)
        TarvelException::Raise("Printer limits property is missing.");
    if (!IsKind(limits, CFDictionaryGetTypeID()))
        TarvelException::Raise("Printer limits property list entry must be a dictionary.");
    auto limit = [limits](CFStringRef inKey, PMRect& outRect) {
        CFTypeRef rect = CFDictionaryGetValue(static_cast<CFDictionaryRef>(limits), inKey);
        if (rect == nullptr)
            TarvelException::Raise("Paper size limit property is missing.");
        if (!IsKind(rect, CFDictionaryGetTypeID()))
            TarvelException::Raise("A limiting paper size entry must be a dictionary.");
        GetDictionaryRect(static_cast<CFDictionaryRef>(rect), outRect);
    };
    limit(kMaximumPaperSize_Key, outMaximum);
    limit(kMinimumPaperSize_Key, outMinimum);
}

bool PrinterInfo::SupportedPaperSize(const PMRect& inPaper) const {
    PMRect maximum;
    PMRect minimum;
    GetPaperSizeLimits(maximum, minimum);
    const double PMRect::*edges[] = {&PMRect::top, &PMRect::left, &PMRect::bottom, &PMRect::right};
    for (const double PMRect::*edge : edges) {
        double value = inPaper.*edge;
        if (maximum.*edge != kNoLimit && value > maximum.*edge)
            return false;
        if (minimum.*edge != kNoLimit && value < minimum.*edge)
            return false;
    }
    return true;
}

bool PrinterInfo::AppendPaperSizeToPaperList(CFDictionaryRef inPaper, UInt32 inIndex,
                                             PMTicketRef ioList) const {
    PMRect paper;
    GetDictionaryRect(inPaper, paper);
    CFTypeRef name = CFDictionaryGetValue(inPaper, kName_Key);
    if (!IsKind(name, CFStringGetTypeID()))
        TarvelException::Raise("Paper name is missing.");
    if (!SupportedPaperSize(paper))
        return false;

    PMRect margins;
    GetPrinterMargins(margins);
    margins = ConvertRectFromMillToPoints(margins);
    paper = ConvertRectFromMillToPoints(paper);

    PMTicketRef paperTicket = nullptr;
    if (PMTicketCreate(nullptr, kPMPaperInfoTicket_Type, &paperTicket) != kPMNoError ||
        paperTicket == nullptr)
        TarvelException::Raise("Unable to allocate a paper ticket. Out of memory?");
    StPMTicketRelease releasePaper(paperTicket);
    if (PMTicketSetCFString(paperTicket, kClient, kPMPaperName_Key, static_cast<CFStringRef>(name),
                            true) != kPMNoError)
        TarvelException::Raise("Unable to add the paper name to a paper info ticket.");

    // The sheet in the coordinates of the printable area, whose origin is the top-left
    // printable point; and the printable area itself.
    PMRect paperRect{paper.top - margins.top, paper.left - margins.left, paper.bottom - margins.top,
                     paper.right - margins.left};
    PMRect pageRect{0.0, 0.0, paper.bottom - (margins.top + margins.bottom),
                    paper.right - (margins.left + margins.right)};
    if (PMTicketSetPMRect(paperTicket, kClient, kPMUnadjustedPaperRect_Key, &paperRect, true) !=
            kPMNoError ||
        PMTicketSetPMRect(paperTicket, kClient, kPMUnadjustedPageRect_Key, &pageRect, true) !=
            kPMNoError)
        TarvelException::Raise("Unable to add the paper adjusted size to a paper info ticket.");

    if (PMTicketSetTicket(ioList, paperTicket, inIndex) != kPMNoError)
        TarvelException::Raise("Unable to add a paper ticket to the paper list.");
    return true;
}

void PrinterInfo::AppendPaperSizesToTemplate(PMTemplateRef ioTemplate) const {
    CFBundleRef framework = CopyFrameworkBundle();
    StCFAutoRelease releaseFramework(framework);
    CFArrayRef universal = CopyPaperSizes(framework, true);
    StCFAutoRelease releaseUniversal(universal);
    CFMutableArrayRef papers = CFArrayCreateMutableCopy(nullptr, 0, universal);
    if (papers == nullptr)
        TarvelException::Raise("paper array copy is null.");
    StCFAutoRelease releasePapers(papers);
    if (CFArrayRef own = CopyPaperSizes(GetPrinterBundle(), false)) {
        CFArrayAppendArray(papers, own, CFRangeMake(0, CFArrayGetCount(own)));
        CFRelease(own);
    }

    if (PMTemplateMakeEntry(ioTemplate, kPMPaperInfoList_Key, kPMValueTicket, kPMConstraintList) !=
        kPMNoError)
        TarvelException::Raise("Unable to make a template entry for the paper list.");
    PMTicketRef list = nullptr;
    if (PMTicketCreate(nullptr, kPMTicketList_Type, &list) != kPMNoError || list == nullptr)
        TarvelException::Raise("Unable to create the list ticket to hold paper tickets.");
    StPMTicketRelease releaseList(list);

    // Papers the printer cannot take are left out without using up an index.
    UInt32 index = 1;
    CFIndex count = CFArrayGetCount(papers);
    for (CFIndex position = 0; position < count; ++position) {
        CFTypeRef entry = CFArrayGetValueAtIndex(papers, position);
        if (entry == nullptr)
            TarvelException::Raise("Paper entry is missing from Paper.xml.");
        if (!IsKind(entry, CFDictionaryGetTypeID()))
            TarvelException::Raise("Paper entry must be a dictionary.");
        if (AppendPaperSizeToPaperList(static_cast<CFDictionaryRef>(entry), index, list))
            ++index;
    }

    PMTicketRef first = nullptr;
    if (PMTicketGetTicket(list, kPMPaperInfoTicket_Type, 1, &first) != kPMNoError ||
        first == nullptr)
        TarvelException::Raise("Unable to extract the first paper ticket. No papers set up?");
    if (PMTemplateSetPMTicketDefaultValue(ioTemplate, kPMPaperInfoList_Key, first) != kPMNoError ||
        PMTemplateSetPMTicketListConstraint(ioTemplate, kPMPaperInfoList_Key, list) != kPMNoError)
        TarvelException::Raise("Unable to add the paper list ticket to a printer template.");
}

void PrinterInfo::AddCustomPaperToTemplate(PMTemplateRef ioTemplate) const {
    PMRect margins;
    GetPrinterMargins(margins);
    margins = ConvertRectFromMillToPoints(margins);
    // Each entry needs the one before; a failure ends the additions without an error.
    if (PMTemplateMakeEntry(ioTemplate, kPMCustomPaperWidth_Key, kPMValueDouble,
                            kPMConstraintRange) != kPMNoError ||
        PMTemplateSetDoubleRangeConstraint(ioTemplate, kPMCustomPaperWidth_Key, kCustomPaperMinimum,
                                           kCustomPaperMaximumWidth) != kPMNoError)
        return;
    if (PMTemplateMakeEntry(ioTemplate, kPMCustomPaperHeight_Key, kPMValueDouble,
                            kPMConstraintRange) != kPMNoError ||
        PMTemplateSetDoubleRangeConstraint(ioTemplate, kPMCustomPaperHeight_Key,
                                           kCustomPaperMinimum,
                                           kCustomPaperMaximumHeight) != kPMNoError)
        return;
    if (PMTemplateMakeEntry(ioTemplate, kPMCustomPageMargins_Key, kPMValuePMRect,
                            kPMConstraintPrivate) != kPMNoError)
        return;
    PMTemplateSetPMRectDefaultValue(ioTemplate, kPMCustomPageMargins_Key, &margins);
}

void PrinterInfo::AppendColorSyncProfilesToTemplate(PMTemplateRef ioTemplate) const {
    CFArrayRef profiles = CopyColourProfiles();
    StCFAutoRelease releaseProfiles(profiles);
    CFIndex count = CFArrayGetCount(profiles);
    if (count == 0)
        return;
    if (PMTemplateMakeEntry(ioTemplate, kPMColorSyncProfileID_Key, kPMValueSInt32,
                            kPMConstraintList) != kPMNoError)
        TarvelException::Raise("Unable to add a ColorSync profile constraint list.");
    if (PMTemplateSetSInt32DefaultValue(ioTemplate, kPMColorSyncProfileID_Key, 1) != kPMNoError)
        TarvelException::Raise("Unable to add a ColorSync profile default ID.");
    // One identifier per profile, 1 to n, in the order of the profile list.
    CFMutableArrayRef identifiers = CFArrayCreateMutable(nullptr, count, &kCFTypeArrayCallBacks);
    StCFAutoRelease releaseIdentifiers(identifiers);
    for (SInt32 identifier = 1; identifier <= static_cast<SInt32>(count); ++identifier) {
        CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &identifier);
        CFArrayAppendValue(identifiers, number);
        CFRelease(number);
    }
    if (PMTemplateSetCFArrayConstraintValue(ioTemplate, kPMColorSyncProfileID_Key, identifiers) !=
        kPMNoError)
        TarvelException::Raise("Unable to add a ColorSync profile constraint list.");
}

void PrinterInfo::AppendEngineSettingsToTemplate(PMTemplateRef ioTemplate) const {
    CFDictionaryRef engine = CopyEngineDictionary();
    StCFAutoRelease releaseEngine(engine);
    EngineSettings settings(engine);
    CFDictionaryRef options = settings.GetPDETemplates();
    if (PMTemplateMakeEntry(ioTemplate, kEngineOptions_Key, kPMValueDict, kPMConstraintPrivate) !=
        kPMNoError)
        TarvelException::Raise("Unable to add a PDE templates entry.");
    if (PMTemplateSetCFDictionaryDefaultValue(ioTemplate, kEngineOptions_Key, options) !=
        kPMNoError)
        TarvelException::Raise("Unable to add a PDE templates default.");
}

// ---- Panel paths ----

CFArrayRef PrinterInfo::CopyPDExtensionPaths() const {
    if (mPrinterDictionary == nullptr)
        TarvelException::Raise("The printer dictionary has not been loaded.");
    CFBundleRef framework = PrinterBundle::GetBundle();
    if (framework == nullptr)
        TarvelException::Raise("Unable to get the printer bundle.");
    StCFAutoRelease releaseFramework(framework);
    CFURLRef resources = CFBundleCopyResourcesDirectoryURL(framework);
    if (resources == nullptr)
        TarvelException::Raise("Unable to get the URL of the printer plug-in resource folder.");
    StCFAutoRelease releaseResources(resources);
    CFStringRef location = CopyAbsoluteURLString(resources);
    if (location == nullptr)
        TarvelException::Raise("Unable to convert the resource URL into a string.");
    StCFAutoRelease releaseLocation(location);

    CFRange printers = CFStringFind(location, kPrintersFolder, kCFCompareBackwards);
    if (printers.location == kCFNotFound)
        TarvelException::Raise("We are not installed within a Library/Printers/ path!");
    CFIndex start = printers.location + printers.length;
    CFStringRef prefix = CFStringCreateWithSubstring(
        nullptr, location, CFRangeMake(start, CFStringGetLength(location) - start));
    StCFAutoRelease releasePrefix(prefix);

    CFTypeRef names = CFDictionaryGetValue(mPrinterDictionary, kSupportedExtensionPaths_Key);
    if (names == nullptr)
        TarvelException::Raise("The PDE supported paths is null.");
    if (!IsKind(names, CFArrayGetTypeID()))
        TarvelException::Raise("The PDE supported paths is not an array.");
    CFIndex count = CFArrayGetCount(static_cast<CFArrayRef>(names));
    CFMutableArrayRef paths = CFArrayCreateMutable(nullptr, count, &kCFTypeArrayCallBacks);
    if (paths == nullptr)
        TarvelException::Raise("Unable to create a copy of the supported PDE paths.");
    StCFAutoRelease releasePaths(paths);
    for (CFIndex index = 0; index < count; ++index) {
        CFTypeRef name = CFArrayGetValueAtIndex(static_cast<CFArrayRef>(names), index);
        if (name == nullptr)
            TarvelException::Raise("Supported PDE name entry is null.");
        if (!IsKind(name, CFStringGetTypeID()))
            TarvelException::Raise("Supported PDE name is not a string.");
        CFMutableStringRef path = CFStringCreateMutableCopy(nullptr, 0, prefix);
        if (path == nullptr)
            TarvelException::Raise("Unable to copy PDE name to a mutable string. Probably due to "
                                   "memory shortage.");
        CFStringAppend(path, static_cast<CFStringRef>(name));
        CFArrayAppendValue(paths, path);
        CFRelease(path);
    }
    return static_cast<CFArrayRef>(CFRetain(paths));
}

// ---- Printer-browser information ----

CFMutableDictionaryRef
PrinterInfo::CopySupportedConnectionTypeIfPresent(CFStringRef inConnectionType) const {
    if (mPrinterDictionary == nullptr)
        TarvelException::Raise("The properties file has not been loaded yet.");
    CFTypeRef connections = CFDictionaryGetValue(mPrinterDictionary, kSupportedConnections_Key);
    if (!IsKind(connections, CFDictionaryGetTypeID()))
        TarvelException::Raise("Unable to find the supported connections information.");
    CFTypeRef connection =
        inConnectionType == nullptr
            ? nullptr
            : CFDictionaryGetValue(static_cast<CFDictionaryRef>(connections), inConnectionType);
    if (connection == nullptr)
        return nullptr;
    if (!IsKind(connection, CFDictionaryGetTypeID()))
        TarvelException::Raise("The connection detail's root is not a dictionary.");
    CFMutableDictionaryRef copy =
        CFDictionaryCreateMutableCopy(nullptr, 0, static_cast<CFDictionaryRef>(connection));
    if (copy == nullptr)
        TarvelException::Raise("Unable to create a mutable copy of the connection details.");
    return copy;
}

CFDataRef PrinterInfo::CopyPrinterIcon() const {
    CFStringRef name = GetPrinterIconName();
    return CopyResourceData(name == nullptr ? CFSTR("") : name, kIconExtension);
}

CFDictionaryRef PrinterInfo::CopyPrinterBrowserModuleInfo(CFStringRef inConnectionType) const {
    CFMutableDictionaryRef info = CopySupportedConnectionTypeIfPresent(inConnectionType);
    if (info == nullptr)
        return nullptr;
    StCFAutoRelease releaseInfo(info);
    if (CFStringRef kind = GetPrinterKind())
        CFDictionarySetValue(info, kPrinterBrowserKind_Key, kind);
    CFDataRef icon = CopyPrinterIcon();
    StCFAutoRelease releaseIcon(icon);
    if (icon != nullptr)
        CFDictionarySetValue(info, kPrinterBrowserIcons_Key, icon);
    if (CFStringRef shortName = GetPrinterShortName())
        CFDictionarySetValue(info, kOrvo_PBMAddress_ShortName, shortName);
    return static_cast<CFDictionaryRef>(CFRetain(info));
}

} // namespace Tarvel
