// The program file's version information, in one place for the resource
// script and the code. Plain #defines only: the resource compiler reads this.
#ifndef VANTREL_RESOURCES_VERSION_H
#define VANTREL_RESOURCES_VERSION_H

#define VANTREL_VERSION_MAJOR 1
#define VANTREL_VERSION_MINOR 0
#define VANTREL_VERSION_NUMBERS VANTREL_VERSION_MAJOR, VANTREL_VERSION_MINOR, 0, 0
#define VANTREL_STRINGIZE_(x) #x
#define VANTREL_STRINGIZE(x) VANTREL_STRINGIZE_(x)
// What the about box shows: "Ver.1.0".
#define VANTREL_VERSION_SHORT "Ver." VANTREL_STRINGIZE(VANTREL_VERSION_MAJOR) "." VANTREL_STRINGIZE(VANTREL_VERSION_MINOR)

#define VANTREL_VERSION_TEXT "1.00"
#define VANTREL_PRODUCT_NAME "VantrelV1_0"
#define VANTREL_INTERNAL_NAME "VantrelV1_0"
#define VANTREL_ORIGINAL_FILENAME "VantrelV1_0.exe"
#define VANTREL_FILE_DESCRIPTION "Vantrel"

// Japanese (0x0411) with the Unicode character set (1200): the block name of
// the strings is the two in hex, the translation table holds them as numbers.
#define VANTREL_LANGUAGE 0x0411
#define VANTREL_CODEPAGE 1200
#define VANTREL_STRING_BLOCK "041104B0"

#endif  // VANTREL_RESOURCES_VERSION_H
