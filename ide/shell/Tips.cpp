#include "Tips.h"

#include "Options.h"

namespace {

const char* const kTips[Tips::kCount] = {
    "Welcome to Velmora!  You can disable these tips on startup with the checkbox below.  "
    "If you've disabled them, you can always reenable them from the Tip of the Day option "
    "under Help or the Program Options dialog.  There are lots of good tips in here, so you "
    "should probably leave them on for at least a little while.  \n\nEnjoy!",

    "The user guide is always at hand: press F1 (Help Topics on the Help menu) to read how "
    "to set up the tools, build a project and send it to your HP48.",

    "The order of the objects in a directory or library is the same as their order in the "
    "project.  Use the file up/down commands on the project toolbar to shift them into the "
    "order you want them to go.",

    "You can use the HP's special characters in the library and object names by using the "
    "escape codes on page 27-16 of your HP manual.",

    "RPL stands for either ROM-based Procedural Language or Reverse Polish Lisp (preferred).",

    "Using multiple project configurations is a good way to maintain multiple versions of a "
    "program that have different features.  You can create a regular version and a lite "
    "version, for example.",

    "Simulating projects with EMU48 is a lot easier on your batteries than transferring the "
    "program over and over.  You need to download the version specifically designed to work "
    "with Velmora, however (from the Velmora website).",

    "If your directory looks odd on your HP48 or your library won't compile/attach properly, "
    "you may have an invalid object somewhere in it.  Upload the individual objects to the "
    "HP48 and see which ones are invalid or fail to transfer properly.",

    "To open several source files at a time, select them all in the File/Open dialog.  You "
    "can also drag projects and source files from your file manager into the main window.",

    "Use source templates to make repetitive tasks (like NIBASC headers and parameterized "
    "outer loops) easier.  A few templates are included to start you off, but you can edit "
    "them to suit your needs.",

    "If your assembler opcode isn't indented, SASM will treat it as a label and your source "
    "may not work/compile correctly.",

    "If you don't have the \"NIBASC /HPHP48-x/\" header in your source files you won't be "
    "able to upload them directly, but you can still build a valid library or directory "
    "(you'll get a warning, however).",

    "You can't close a project by using the close box on the caption bar.  Use the Close "
    "Project toolbar button or menu option instead.",

    "To override the default config file generation, just delete ProjectConfig.s from the "
    "project and then add your own file (with a different name) and make its compiled name "
    "'$CONFIG'.",

    "You can include header files in your project for convenience if you set their compile "
    "flag to 'No'.",

    "You can specify library variables to be stored in user memory with the $VARS objects.  "
    "See the USRLIB documentation for more information.",
};

const QString kTipNum = QStringLiteral("TipNum");

} // namespace

QString Tips::Text(int index)
{
    return index >= 0 && index < kCount ? QString::fromUtf8(kTips[index]) : QString();
}

int Tips::TakeNext(COptionTable& options)
{
    int index = options.GetOptionInt(kTipNum);
    // Compared as unsigned: a negative number is out of range as well.
    if (static_cast<unsigned>(index) >= static_cast<unsigned>(kCount)) {
        index = 0;
    }
    options.SetOption(kTipNum, QString::asprintf("%i", index + 1));
    options.SaveOption(kTipNum);
    return index;
}
