# Writes IN as a Windows text file OUT: CRLF line ends, so that Notepad and
# the installer's readme page show its lines.
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUT}" "${text}")
