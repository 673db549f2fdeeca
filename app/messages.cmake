# The message window (FormMsg) and the progress window (FrmProgress): the progress notice's
# painting and placement are platform-free; the windows themselves are Win32.
add_library(teshmar_progress_logic STATIC ${CMAKE_CURRENT_LIST_DIR}/ProgressPaint.cpp)
target_include_directories(teshmar_progress_logic PUBLIC ${CMAKE_SOURCE_DIR})

if(WIN32)
  add_library(teshmar_windows_msg STATIC
    ${CMAKE_CURRENT_LIST_DIR}/AppWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FormMsg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FrmProgress.cpp)
  target_include_directories(teshmar_windows_msg PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(teshmar_windows_msg PUBLIC teshmar_progress_logic teshmar_win)
endif()
