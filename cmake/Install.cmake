# `cmake --install BUILD --prefix P`: the two programs in P/bin, the default profile files and
# the samples in P/share/velmora (found relative to the programs, so P may be moved later).
install(TARGETS velmora-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET velmora)
    install(TARGETS velmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/profile ${PROJECT_SOURCE_DIR}/resources/samples
        DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora)
