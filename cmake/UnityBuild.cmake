# Unity builds (-DCMAKE_UNITY_BUILD=ON, as scripts/test.sh and scripts/fuzz.sh
# configure) compile a target's files in batches, so the headers they share are
# parsed and their inline code generated once per batch instead of once per file.
# The files below are compiled on their own: each defines a file-local name
# (a helper, a constant) that another file of its target defines too, or reads
# system headers that clash with a neighbour's (termios2, Xlib's macros). A new
# clash shows as a redefinition in a unity build; list the second file here.
set(ORB_UNITY_SEPARATE
    src/platform/SerialBaud.cpp
    src/settings/Favorites.cpp
    src/settings/IniFile.cpp
    src/video/VideoDecoder.cpp
    src/admin/PowerSwitchFiles.cpp
    src/admin/SwitchSettings.cpp
    src/input/MousePipeline.cpp
    src/input/PassThrough.cpp
    src/view/ViewGeometry.cpp
    src/ui/DevicesPage.cpp
    src/ui/PowerStripPage.cpp
    src/ui/QtDialogs.cpp
    src/ui/SecurityPage.cpp
    src/ui/SwitchPage.cpp
    src/ui/UserDetailsDialog.cpp
    tests/input/KeyboardPipelineTest.cpp
    tests/integration/OrbctlModemTest.cpp
    tests/session/ReceivePathTest.cpp
    tests/sim/SerialTest.cpp
    tests/sim/VideoTest.cpp
    tests/ui/RealXTest.cpp
    tests/video/VideoDecoderTest.cpp)

# Marks them in every directory that defines targets; call once all are added.
function(orb_unity_separate)
  set(directories ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  if(TARGET orbui)
    list(APPEND directories ${CMAKE_SOURCE_DIR}/src/ui)
  endif()
  list(TRANSFORM ORB_UNITY_SEPARATE PREPEND ${CMAKE_SOURCE_DIR}/ OUTPUT_VARIABLE files)
  set_source_files_properties(${files} DIRECTORY ${directories}
                              PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
endfunction()
