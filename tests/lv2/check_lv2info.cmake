# Fails unless lv2info describes the plug-in as an instrument with nothing
# at all on its error output.
execute_process(COMMAND ${LV2INFO} urn:tollarinfx:vyrtal
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT err STREQUAL "")
  message(FATAL_ERROR "lv2info answered ${status}:\n${err}")
endif()
if(NOT out MATCHES "Class: +Instrument Plugin" OR NOT out MATCHES "Presets:")
  message(FATAL_ERROR "lv2info does not show an instrument with presets:\n${out}")
endif()
message(STATUS "lv2info: no warnings")
