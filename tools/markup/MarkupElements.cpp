#include "MarkupElements.h"

#include <wchar.h>

#include "ui/core/UIControlFactory.h"
#include "ui/support/UIString.h"

namespace markup {

LPCTSTR const kControlElements[] = {L"Control",  L"Container", L"VerticalLayout", L"HorizontalLayout", L"Label",
                                    L"Text",     L"Button",    L"Option",         L"CheckBox",         L"Progress",
                                    L"RichEdit", L"TabLayout", L"ScrollBar"};
const size_t kControlElementCount = sizeof(kControlElements) / sizeof(kControlElements[0]);

namespace {

LPCTSTR const kWindow[] = {L"size",
                           L"sizebox",
                           L"caption",
                           L"roundcorner",
                           L"mininfo",
                           L"maxinfo",
                           L"showdirty",
                           L"noactivate",
                           L"opacity",
                           L"layered",
                           L"layeredopacity",
                           L"layeredimage",
                           L"alpha",
                           L"bktrans",
                           L"defaultfontcolor",
                           L"selectedcolor",
                           L"disabledfontcolor",
                           L"linkfontcolor",
                           L"linkhoverfontcolor",
                           L"tooltiphovertime",
                           L"gdiplustext",
                           L"textrenderinghint",
                           L"shadow",
                           L"showshadow",
                           L"shadowsize",
                           L"shadowsharpness",
                           L"shadowdarkness",
                           L"shadowcolor",
                           L"shadowcorner",
                           L"shadowposition",
                           L"shadowimage",
                           nullptr};
LPCTSTR const kFont[] = {L"id",     L"name",    L"size",   L"bold",     L"underline",
                         L"italic", L"default", L"shared", L"fontfile", nullptr};
LPCTSTR const kImage[] = {L"name", L"restype", L"mask", L"shared", nullptr};
LPCTSTR const kStyle[] = {L"name", L"value", L"shared", nullptr};
LPCTSTR const kDefault[] = {L"name", L"value", L"shared", nullptr};
LPCTSTR const kInclude[] = {L"source", L"count", nullptr};
LPCTSTR const kImport[] = {L"fontfile", nullptr};

} // namespace

const TBuilderElement kBuilderElements[] = {
    {L"Window", kWindow},   {L"Font", kFont},       {L"Image", kImage},   {L"Style", kStyle},
    {L"Default", kDefault}, {L"Include", kInclude}, {L"Import", kImport},
};
const size_t kBuilderElementCount = sizeof(kBuilderElements) / sizeof(kBuilderElements[0]);

std::unique_ptr<Veneer::CControlUI> MakeControl(LPCTSTR pstrElement)
{
    Veneer::CUIString cls;
    cls.Format(L"C%sUI", pstrElement);
    return std::unique_ptr<Veneer::CControlUI>(Veneer::CControlFactory::GetInstance()->CreateControl(cls));
}

const TBuilderElement* FindBuilderElement(LPCTSTR pstrElement)
{
    for (const TBuilderElement& e : kBuilderElements) {
        if (_wcsicmp(e.pstrName, pstrElement) == 0) return &e;
    }
    return nullptr;
}

} // namespace markup
