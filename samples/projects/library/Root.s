* ROOT: the square root of a real number. A negative number raises the
* library's own message 1, "Negative argument" (Messages.s): error #4D201,
* the library number #4D2 followed by the message number.
ASSEMBLE
        NIBASC  /HPHP48-R/
RPL
::
  CK1&Dispatch
  # 1
  ::
    DUP %0 %<
    IT
    :: # 4D201 DO#EXIT ;
    %SQRT
  ;
;
