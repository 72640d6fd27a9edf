# The Debian changelog from the newest entry of CHANGELOG.md: its bullets as the
# entry's items, its date ("## 2026-12-07") as the entry's time, so the package
# is the same whenever it is built.
#
# Also a script: cmake -DMARKDOWN=... -DOUTPUT=... -DVERSION=... -DCONTACT=...
#                      -P cmake/TarvikChangelog.cmake

# Seconds since 1970 of midnight UTC of a civil date (days from civil, valid
# from the year 1 on).
function(_tarvik_epoch_of year month day out)
  if(month LESS_EQUAL 2)
    math(EXPR year "${year} - 1")
    math(EXPR month "${month} + 9")
  else()
    math(EXPR month "${month} - 3")
  endif()
  math(EXPR era "${year} / 400")
  math(EXPR yoe "${year} - ${era} * 400")
  math(EXPR doy "(153 * ${month} + 2) / 5 + ${day} - 1")
  math(EXPR doe "${yoe} * 365 + ${yoe} / 4 - ${yoe} / 100 + ${doy}")
  math(EXPR days "${era} * 146097 + ${doe} - 719468")
  math(EXPR seconds "${days} * 86400")
  set(${out} ${seconds} PARENT_SCOPE)
endfunction()

function(tarvik_debian_changelog markdown output version contact)
  file(READ ${markdown} text)
  string(REGEX MATCH "\n## ([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])[^\n]*\n" heading "${text}")
  if(NOT heading)
    message(FATAL_ERROR "${markdown} has no entry headed \"## YYYY-MM-DD\"")
  endif()
  _tarvik_epoch_of(${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3} epoch)
  string(FIND "${text}" "${heading}" start)
  string(LENGTH "${heading}" skip)
  math(EXPR start "${start} + ${skip}")
  string(SUBSTRING "${text}" ${start} -1 entry)
  string(FIND "${entry}" "\n## " end)
  string(SUBSTRING "${entry}" 0 ${end} entry)
  string(STRIP "${entry}" entry)
  if(NOT entry MATCHES "^- ")
    message(FATAL_ERROR "the newest entry of ${markdown} does not start with a \"- \" item")
  endif()
  # "- item" becomes "  * item", its continuation lines "    ...".
  string(REGEX REPLACE "\n  " "\n    " entry "${entry}")
  string(REGEX REPLACE "(^|\n)- " "\\1  * " entry "${entry}")

  set(saved "$ENV{SOURCE_DATE_EPOCH}")
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
  string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
  set(ENV{SOURCE_DATE_EPOCH} "${saved}")
  # Written only when it changed, so a new configure does not rebuild the package files.
  file(WRITE ${output}.new "tarvik (${version}) unstable; urgency=medium\n\n${entry}\n\n -- ${contact}  ${date}\n")
  file(COPY_FILE ${output}.new ${output} ONLY_IF_DIFFERENT)
  file(REMOVE ${output}.new)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  tarvik_debian_changelog(${MARKDOWN} ${OUTPUT} ${VERSION} "${CONTACT}")
endif()
