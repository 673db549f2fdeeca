# The message window (FormMsg) and the progress window (FrmProgress): the progress notice's
# painting and placement are platform-free; the windows themselves are Win32.
add_library(teshmar_progress_logic STATIC ${CMAKE_CURRENT_LIST_DIR}/ProgressPaint.cpp)
target_include_directories(teshmar_progress_logic PUBLIC ${CMAKE_SOURCE_DIR})
