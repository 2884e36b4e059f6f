# Writes the voice table voice/vocabulary.tsv as rows of a C++ table ({"word", "phrase"},)
# into generated/vocabulary_phrases.inc, so the program knows every phrase without reading
# a file at run time. Run when the build is configured; a change to the table configures
# the build again.
set(vocabulary_table ${CMAKE_SOURCE_DIR}/voice/vocabulary.tsv)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${vocabulary_table})
file(STRINGS ${vocabulary_table} vocabulary_lines ENCODING UTF-8)
set(vocabulary_rows "")
foreach(line IN LISTS vocabulary_lines)
  if(line MATCHES "^#" OR NOT line MATCHES "^([^\t]+)\t(.*)$")
    continue()
  endif()
  set(word ${CMAKE_MATCH_1})
  set(phrase ${CMAKE_MATCH_2})
  string(TOLOWER "${word}" word)
  foreach(name word phrase)
    string(REPLACE "\\" "\\\\" ${name} "${${name}}")
    string(REPLACE "\"" "\\\"" ${name} "${${name}}")
  endforeach()
  string(APPEND vocabulary_rows "    {\"${word}\", \"${phrase}\"},\n")
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/vocabulary_phrases.inc
     CONTENT "${vocabulary_rows}" @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)
