# Builds the help archive: copies the page and its folder from HELP_SOURCE
# into a fresh STAGE folder, draws the page's pictures into STAGE/VN_files
# with RESGEN, and zips "VN.htm" and "VN_files/" into OUTPUT with ZIP.
#   cmake -DHELP_SOURCE=... -DSTAGE=... -DRESGEN=... -DZIP=... -DOUTPUT=... -P makehelpzip.cmake

foreach(var HELP_SOURCE STAGE RESGEN ZIP OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "makehelpzip.cmake: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}/VN_files")
file(COPY "${HELP_SOURCE}/VN.htm" DESTINATION "${STAGE}")
file(COPY "${HELP_SOURCE}/VN_files/" DESTINATION "${STAGE}/VN_files")

execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen "${RESGEN}" help-pictures "${STAGE}/VN_files"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "drawing the help pictures failed: ${result}")
endif()

file(REMOVE "${OUTPUT}")
# -X: no extra file attributes (owner ids, extended times) in the archive.
execute_process(
  COMMAND "${ZIP}" -q -X -r "${OUTPUT}" VN.htm VN_files
  WORKING_DIRECTORY "${STAGE}"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "zip failed: ${result}")
endif()
