# Renders the help page VantrelV1_0.html from the guide's Markdown:
#   cmake -DCMARK=<cmark-gfm> -DGUIDE=<guide-ja.md> -DTEMPLATE=<help-template.html>
#         -DOUTPUT=<VantrelV1_0.html> -P render-help.cmake
# The template holds the page around the body (head, styles); the title is the
# guide's first heading, so nothing is written twice. The page is made from
# its inputs alone (no date, no path), so every build of one commit gives the
# same bytes.
foreach(var CMARK GUIDE TEMPLATE OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "render-help: -D${var}= is missing")
  endif()
endforeach()

# The guide's tables are GitHub-flavoured pipe tables, which plain CommonMark
# does not know: without the extension they would come out as paragraphs.
execute_process(
  COMMAND ${CMARK} --to html --extension table ${GUIDE}
  OUTPUT_VARIABLE body
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "render-help: ${CMARK} failed on ${GUIDE} (${rc})")
endif()

file(STRINGS ${GUIDE} heading REGEX "^# " LIMIT_COUNT 1 ENCODING UTF-8)
if(NOT heading)
  message(FATAL_ERROR "render-help: ${GUIDE} has no first-level heading for the title")
endif()
string(REGEX REPLACE "^# +" "" title "${heading}")
string(REPLACE "&" "&amp;" title "${title}")
string(REPLACE "<" "&lt;" title "${title}")
string(REPLACE ">" "&gt;" title "${title}")

file(READ ${TEMPLATE} page)
string(REPLACE "@VANTREL_HELP_TITLE@" "${title}" page "${page}")
string(REPLACE "@VANTREL_HELP_BODY@" "${body}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
