# azimora-qr: prints an address as a QR code in the terminal (./run --phone).
add_executable(azimora-qr ${CMAKE_SOURCE_DIR}/tools/phoneqr/phoneqr.cpp)
target_link_libraries(azimora-qr PRIVATE azm_core)
