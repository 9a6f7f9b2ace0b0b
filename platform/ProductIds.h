/* The numbers of the product that the programs, their resource scripts
   and the setup program share: plain macros, so that the resource
   compiler reads them too.  The rest of the product's identity is
   platform/Product.h. */
#ifndef WORDLARK_PRODUCT_IDS_H
#define WORDLARK_PRODUCT_IDS_H

/* The candidate list, child control of the main window. */
#define WORDLARK_CANDIDATE_LIST_ID 1001
/* The tray menu's "E&xit": WM_COMMAND with it ends the program. */
#define WORDLARK_EXIT_COMMAND 32772

#endif
