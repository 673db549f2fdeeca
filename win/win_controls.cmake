# Shared controls of the console's windows: pixel fonts, the flat button, modal runs, the answering wait.
target_sources(teshmar_win PRIVATE Fonts.cpp FlatButton.cpp Modal.cpp WindowClass.cpp AnsweringWait.cpp)
target_link_libraries(teshmar_win PUBLIC comctl32 gdi32 user32 msimg32)
