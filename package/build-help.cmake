# cmake -DCHMCMD=<chmcmd> -DSOURCE=<docs/help> -DWORK=<folder> -DOUT=<WLHelp.chm>
#       -P build-help.cmake
# Compiles the help pages into WLHelp.chm.  Any warning of the compiler (a
# link to a page or picture that is not there, a page missing from the
# project) fails the build.
file(REMOVE_RECURSE "${WORK}")
file(COPY "${SOURCE}/" DESTINATION "${WORK}")
execute_process(COMMAND "${CHMCMD}" WLHelp.hhp WORKING_DIRECTORY "${WORK}"
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR out MATCHES "(Warning|Error)" OR err MATCHES "(Warning|Error)")
  message(FATAL_ERROR "chmcmd failed (${rc}):\n${out}${err}")
endif()
file(COPY_FILE "${WORK}/WLHelp.chm" "${OUT}")
