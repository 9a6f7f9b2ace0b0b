; Hotstrings as an AutoHotkey user keeps them
#SingleInstance Force
::sigx::Best regards,{Enter}John   ; the signature
:*:dearx::Dear ,{Enter}Regards{Left 9}
:X:runx::Run notepad
^j::Send {Text}not a hotstring
