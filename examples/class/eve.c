#include <stdio.h>

#define MAX 100

/* 老师提供：读入成绩，以 -1 结束，返回人数 */
int read_scores(int scores[], int max)
{
    int n = 0, x;
    while (n < max && scanf("%d", &x) == 1 && x != -1) {
        scores[n] = x;
        n = n + 1;
    }
    return n;
}

/* sort descending, then everything is easy */
void sort_desc(int s[], int n)
{
    int i, j, key;
    for (i = 1; i < n; i++) {
        key = s[i];
        j = i - 1;
        while (j >= 0 && s[j] < key) {
            s[j + 1] = s[j];
            j--;
        }
        s[j + 1] = key;
    }
}

int count_between(int s[], int n, int lo, int hi)
{
    int i, c = 0;
    for (i = 0; i < n; i++)
        if (s[i] >= lo && s[i] <= hi)
            c++;
    return c;
}

int main()
{
    int scores[MAX];
    int n = read_scores(scores, MAX);
    int i;
    float sum = 0;

    if (!n) {
        puts("nothing to do");
        return 0;
    }
    sort_desc(scores, n);
    for (i = 0; i < n; i++)
        sum += scores[i];
    printf("%d scores, mean %.2f\n", n, sum / n);
    printf("top %d bottom %d\n", scores[0], scores[n - 1]);
    printf("passed: %d\n", count_between(scores, n, 60, 100));
    printf("A:%d B:%d C:%d D:%d F:%d\n", count_between(scores, n, 90, 100),
           count_between(scores, n, 80, 89), count_between(scores, n, 70, 79),
           count_between(scores, n, 60, 69), count_between(scores, n, 0, 59));
    return 0;
}
