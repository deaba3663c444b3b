* The library's messages, stored as $MESSAGE: message 1 is the first string.
ASSEMBLE
        NIBASC  /HPHP48-R/
RPL
{
  $ "Negative argument"
}
