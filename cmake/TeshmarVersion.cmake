# The release number comes from project(); the version resource and the packages read what is
# generated here, so they can never disagree.
set(TESHMAR_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/res/TeshmarVersion.h.in ${TESHMAR_GENERATED_DIR}/TeshmarVersion.h @ONLY)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/version.txt CONTENT "${Teshmar_VERSION}\n")
