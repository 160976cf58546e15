// Writes the seed inputs of the workbook and statistics file fuzz targets into a folder:
// fuzz/corpus/{workbook,xls,readstat}/ hold what it wrote. Usage: tav_make_format_seeds DIR

#include <filesystem>
#include <iostream>

#include "support/FormatWriters.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tav_make_format_seeds DIR\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir / "workbook");
    std::filesystem::create_directories(dir / "readstat");
    writeLoansWorkbook((dir / "workbook" / "loans.xlsx").string());
    writeLoansWorkbook((dir / "workbook" / "inline.xlsx").string(), true);
    writeOds((dir / "workbook" / "loans.ods").string(), loansOdsContent());
    writeLoansSav((dir / "readstat" / "loans.sav").string());
    writeGroupsDta((dir / "readstat" / "groups.dta").string());
    writeVisitsXpt((dir / "readstat" / "visits.xpt").string());
    writeManyLabelsSav((dir / "readstat" / "labels.sav").string(), 3);
    return 0;
}
