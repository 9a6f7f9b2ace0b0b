# cmake -DIN=<file> -DOUT=<file> [-DCONFIGURE=ON] -P text-file.cmake
# Copies a text file with Windows line ends (CR LF), so that every editor on
# Windows shows it properly.  With CONFIGURE, @VARIABLES@ given with -D are
# filled in first.
file(READ "${IN}" text)
if(CONFIGURE)
  string(CONFIGURE "${text}" text @ONLY)
endif()
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUT}" "${text}")
