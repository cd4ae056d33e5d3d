// veneer_markup --markdown            prints the markup reference
// veneer_markup --check <skin folder> reports what is wrong in a skin; exit code 1 on errors
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <wchar.h>

#include <string>

#include "MarkupReference.h"
#include "SkinChecker.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc == 2 && wcscmp(argv[1], L"--markdown") == 0) {
        std::string md = markup::MarkupReference::Markdown();
        _setmode(_fileno(stdout), _O_BINARY); // the committed file has Unix line ends
        fwrite(md.data(), 1, md.size(), stdout);
        return 0;
    }
    if (argc == 3 && wcscmp(argv[1], L"--check") == 0) {
        markup::SkinChecker checker(argv[2]);
        checker.Run();
        for (const std::wstring& line : checker.GetReports()) fwprintf(stdout, L"%ls\n", line.c_str());
        return checker.GetErrorCount() == 0 ? 0 : 1;
    }
    fwprintf(stderr, L"usage: veneer_markup --markdown | --check <skin folder>\n");
    return 2;
}
