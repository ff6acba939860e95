# The Windows build: the Win32 toolkit, the screen saver itself and the tests that run under Wine.
set(QM_WIN32_LIBS gdi32 user32 advapi32 ole32 windowscodecs uuid)

add_library(qm_win32 STATIC
  toolkit/win32/application.cpp
  toolkit/win32/common_controls.cpp
  toolkit/win32/cover_window.cpp
  toolkit/win32/dialog.cpp
  toolkit/win32/dialog_controls.cpp
  toolkit/win32/dpi.cpp
  toolkit/win32/file_list.cpp
  toolkit/win32/folders.cpp
  toolkit/win32/label.cpp
  toolkit/win32/picture.cpp
  toolkit/win32/picture_pixels.cpp
  toolkit/win32/preparing_loader.cpp
  toolkit/win32/picture_file.cpp
  toolkit/win32/settings_store.cpp
  toolkit/win32/sound_io.cpp
  toolkit/win32/text.cpp
  toolkit/win32/timer.cpp
  toolkit/win32/toolkit.cpp
  toolkit/win32/window.cpp
  toolkit/win32/window_base.cpp
)
target_link_libraries(qm_win32 PUBLIC qm_logic ${QM_WIN32_LIBS})
# Every program on the toolkit links the C and C++ runtimes in: it needs no DLL beside it.
target_link_options(qm_win32 INTERFACE -static -static-libgcc -static-libstdc++)
target_compile_definitions(qm_win32 PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                           _WIN32_WINNT=0x0601)
target_compile_options(qm_win32 PRIVATE ${QM_WARNINGS})

set(QM_RESOURCES ${CMAKE_SOURCE_DIR}/resources/quillmoor.rc)
file(GLOB QM_RESOURCE_FILES ${CMAKE_SOURCE_DIR}/resources/*.wav ${CMAKE_SOURCE_DIR}/resources/*.bin)
set_source_files_properties(${QM_RESOURCES} PROPERTIES OBJECT_DEPENDS "${QM_RESOURCE_FILES}")
set(CMAKE_RC_FLAGS "-I ${CMAKE_SOURCE_DIR}/resources")

add_executable(screen_saver WIN32 app/win32/main.cpp ${QM_RESOURCES})
set_target_properties(screen_saver PROPERTIES OUTPUT_NAME "Quillmoor Screen Saver" SUFFIX ".scr")
target_link_libraries(screen_saver PRIVATE qm_win32)
# Stripped (-s): what users download carries no debug sections or symbol table. No link time in
# the header (its time stamp stays 0, so the checksum over the file is fixed too): a rebuild of
# the same sources anywhere gives the very bytes of the download.
target_link_options(screen_saver PRIVATE -s -Wl,--no-insert-timestamp)
# 4 GB of address space instead of 2 under 64-bit Windows, room for a large decode; the code
# keeps pointers in pointer-sized types only (LONG_PTR, INT_PTR, ptrdiff_t).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  target_link_options(screen_saver PRIVATE -Wl,--large-address-aware)
endif()
target_compile_options(screen_saver PRIVATE ${QM_WARNINGS})

# The sample pictures go beside the executable: the show's default folder is its own.
file(GLOB QM_SAMPLES ${CMAKE_SOURCE_DIR}/samples/*.bmp ${CMAKE_SOURCE_DIR}/samples/*.jpg
     ${CMAKE_SOURCE_DIR}/samples/*.gif)
# Pictures copied by an earlier configure and no longer in samples/ go, so the show beside the
# .scr is exactly samples/.
file(GLOB QM_OLD_SAMPLES ${CMAKE_BINARY_DIR}/*.bmp ${CMAKE_BINARY_DIR}/*.jpg ${CMAKE_BINARY_DIR}/*.gif)
foreach(old ${QM_OLD_SAMPLES})
  get_filename_component(name ${old} NAME)
  if(NOT EXISTS ${CMAKE_SOURCE_DIR}/samples/${name})
    file(REMOVE ${old})
  endif()
endforeach()
foreach(sample ${QM_SAMPLES})
  get_filename_component(name ${sample} NAME)
  configure_file(${sample} ${CMAKE_BINARY_DIR}/${name} COPYONLY)
endforeach()

# Windows-side tests of the Win32 layer, run under Wine.
add_executable(win_tests
  ${QM_RESOURCES}
  tests/win/win32_layer_test.cpp
  tests/win/pictures_test.cpp
)
target_compile_definitions(win_tests PRIVATE QM_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(win_tests PRIVATE qm_win32 gtest_main shell32 imm32)
target_compile_options(win_tests PRIVATE ${QM_WARNINGS})
add_test(NAME win_tests COMMAND win_tests)
set_tests_properties(win_tests PROPERTIES TIMEOUT 600 LABELS wine)

# The built executable read with pefile: machine, subsystem, imports and resource section.
add_test(NAME resource_tests
         COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/e2e/check_resources.py
                 ${CMAKE_SYSTEM_PROCESSOR} $<TARGET_FILE:screen_saver>)
# The committed sounds and icon are what the generator makes, and sox reads every sound.
add_test(NAME resource_files_current
         COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tools/make_resources.py --check)
set_tests_properties(resource_tests resource_files_current PROPERTIES LABELS static)

# End-to-end tests of the built screen saver under Xvfb + Wine.
add_test(NAME e2e_tests
         COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/e2e/run_e2e.py
                 $<TARGET_FILE:screen_saver>)
set_tests_properties(e2e_tests PROPERTIES TIMEOUT 900 LABELS wine)

# The show on two monitors, on an Xorg of its own (the others keep Xvfb's one screen); it
# changes the display's mode during the show with display_mode.
add_executable(display_mode tools/display_mode/display_mode.cpp)
target_compile_options(display_mode PRIVATE ${QM_WARNINGS})
target_link_options(display_mode PRIVATE -static -static-libgcc -static-libstdc++)
add_test(NAME e2e_two_monitors
         COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/e2e/two_monitors.py
                 $<TARGET_FILE:screen_saver>)
set_tests_properties(e2e_two_monitors PROPERTIES TIMEOUT 300 LABELS wine)

# The benchmark of the show on large photos (scripts/bench.sh builds and runs it); not a test.
add_executable(tick_bench EXCLUDE_FROM_ALL tools/bench/tick_bench.cpp)
target_link_libraries(tick_bench PRIVATE qm_win32 psapi)
target_compile_options(tick_bench PRIVATE ${QM_WARNINGS})
