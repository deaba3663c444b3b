* TWICE: runs HELLO, another command of this library, twice and joins the two
* greetings. The library builder turns the name HELLO into a reference to that
* command, so TWICE works without the directory the library was built from.
ASSEMBLE
        NIBASC  /HPHP48-R/
RPL
::
  CK0
  ID HELLO
  ID HELLO
  &$
;
