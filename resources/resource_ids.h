/* Resource numbers, shared by the resource script and the code. */
#ifndef AURILO_RESOURCE_IDS_H
#define AURILO_RESOURCE_IDS_H

#define saverNameStringId 1
#define saverIconGroupId 102
#define previewBitmapId 103
#define aboutDialogId 2003

#endif
